#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/ini_document.h"

namespace {

using Names = std::vector<std::string_view>;
using Edit = std::function<EditResult(IniDocument&)>;

std::string ValueOf(const IniDocument& document, std::string_view section, std::string_view key) {
    const auto value = document.Value(section, key);
    return value ? std::string(*value) : "<absent>";
}

Edit Set(std::string section, std::string key, std::string value) {
    return [=](IniDocument& d) { return d.SetValue(section, key, value); };
}
Edit RemoveKey(std::string section, std::string key) {
    return [=](IniDocument& d) { return d.RemoveKey(section, key); };
}
Edit RemoveSection(std::string section) {
    return [=](IniDocument& d) { return d.RemoveSection(section); };
}

TEST(IniDocumentRead, FollowsTheFormatRules) {
    const IniDocument document(
        "top=outside any section\n"
        "; comment=1\n"
        "  [ Main ] text after the bracket\n"
        "  Key1 =  spaced value  \n"
        "\tquoted = \"  kept  \"\n"
        "single='x'\n"
        "half=\"x\n"
        "# hash=2\n"
        "file.dll\n"
        "eq==a=b\n"
        "KEY1=second\n"
        "[main]\n"
        "other=in the duplicate section\n");
    EXPECT_EQ(document.SectionNames(), (Names{"Main", "main"}));
    EXPECT_EQ(document.KeyNames("MAIN"), (Names{"Key1", "quoted", "single", "half", "file.dll", "eq", "KEY1"}));
    EXPECT_EQ(ValueOf(document, "main", "key1"), "spaced value");
    EXPECT_EQ(ValueOf(document, "main", "QUOTED"), "  kept  ");
    EXPECT_EQ(ValueOf(document, "main", "single"), "x");
    EXPECT_EQ(ValueOf(document, "main", "half"), "\"x");
    EXPECT_EQ(ValueOf(document, "main", "file.dll"), "");
    EXPECT_EQ(ValueOf(document, "main", "eq"), "=a=b");
    EXPECT_EQ(ValueOf(document, "main", "other"), "<absent>");
    EXPECT_EQ(ValueOf(document, "main", "; comment"), "<absent>");
    EXPECT_EQ(ValueOf(document, "", "top"), "<absent>");
}

TEST(IniDocumentRead, EveryLineEndAndAByteOrderMark) {
    const IniDocument document("\xEF\xBB\xBF[a]\rk1=1\r\nk2=2\n\rk3=3");
    EXPECT_EQ(document.SectionNames(), (Names{"a"}));
    EXPECT_EQ(document.KeyNames("a"), (Names{"k1", "k2", "k3"}));
    EXPECT_EQ(ValueOf(document, "a", "k3"), "3");
}

// The packed list reads the names where the table says, long-placed ones included, and keeps
// the bytes it was made from while the document is edited.
TEST(IniDocumentRead, KeyNameListIsTheKeyNamesAndOutlivesEdits) {
    const std::string farName = std::string(70000, ' ') + "far";
    IniDocument document("[a]\nk=1\n=empty\nK=dup\n" + farName + "=2\nlast\n[b]\nx=1\n");
    const Names expected{"k", "", "K", "far", "last"};
    EXPECT_EQ(document.KeyNames("a"), expected);
    const NameList list = document.KeyNameList(" A ");
    EXPECT_EQ(Names(list.begin(), list.end()), expected);
    EXPECT_TRUE(document.KeyNameList("missing").empty());
    ASSERT_EQ(document.SetValue("a", "k", "a value longer than the old one"), EditResult::Changed);
    ASSERT_EQ(document.RemoveKey("a", "far"), EditResult::Changed);
    ASSERT_EQ(document.SetValue("a", "new", "v"), EditResult::Changed);
    EXPECT_EQ(Names(list.begin(), list.end()), expected);
    EXPECT_EQ(list.Copies(), (std::vector<std::string>{"k", "", "K", "far", "last"}));
    EXPECT_EQ(document.KeyNames("a"), (Names{"k", "", "K", "last", "new"}));
}

// Reads in file order learn whether names repeat; a later line of an earlier name must not
// answer when the reads come to it.
TEST(IniDocumentRead, InOrderReadsStillAnswerWithTheFirstOfARepeatedName) {
    for (const bool repeated : {false, true}) {
        std::string bytes = "[s]\n";
        for (int i = 0; i < 300; ++i) bytes += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
        bytes += repeated ? "K150=late\n" : "k300=300\n";
        IniDocument document(bytes);
        for (int i = 0; i <= 150; ++i) ASSERT_EQ(ValueOf(document, "s", "k" + std::to_string(i)), std::to_string(i)) << i;
        ASSERT_EQ(document.SetValue("s", "k0", "changed"), EditResult::Changed);
        for (int i = 1; i < 300; ++i) ASSERT_EQ(ValueOf(document, "s", "k" + std::to_string(i)), std::to_string(i)) << i;
        EXPECT_EQ(ValueOf(document, "s", "k150"), "150");
        EXPECT_EQ(ValueOf(document, "s", "k300"), repeated ? "<absent>" : "300");
    }
}

TEST(IniDocumentRead, NameListOfStringsKeepsEachName) {
    const std::vector<std::string> names{"", "a", std::string("n\0ul", 4), "", "bb"};
    const NameList list = NameList::Of(names);
    ASSERT_EQ(list.size(), names.size());
    EXPECT_EQ(list.Copies(), names);
    EXPECT_EQ(list[2].size(), 4u);
    EXPECT_TRUE(NameList::Of({}).empty());
}

TEST(IniDocumentRead, ManyKeysAreAllFoundAndTheFirstDuplicateAnswers) {
    std::string bytes = "[big]\n";
    for (int i = 0; i < 5000; ++i) bytes += "key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    bytes += "KEY17=later\n";
    const IniDocument document(bytes);
    EXPECT_EQ(document.KeyNames("big").size(), 5001u);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(ValueOf(document, "BIG", "Key" + std::to_string(i)), std::to_string(i));
    EXPECT_EQ(ValueOf(document, "big", "key5000"), "<absent>");
}

struct EditCase {
    const char* what;
    std::string before;
    Edit edit;
    std::string after;
};

TEST(IniDocumentEdit, ChangesOnlyWhatItTargets) {
    const std::vector<EditCase> cases = {
        {"value bytes only", "; c\r\n[s]\r\n  Key = old  \r\n\r\n", Set("S", "KEY", "new"),
         "; c\r\n[s]\r\n  Key = new  \r\n\r\n"},
        {"after the last key line", "[a]\nk=1\n\n; about b\n[b]\n", Set("a", "j", "2"),
         "[a]\nk=1\nj=2\n\n; about b\n[b]\n"},
        {"under a header without keys", "[a]\n; note\n[b]\n", Set("a", "k", "1"), "[a]\nk=1\n; note\n[b]\n"},
        {"new section, file's line end", "[a]\r\nk=1", Set("b", "k", "2"), "[a]\r\nk=1\r\n[b]\r\nk=2\r\n"},
        {"lone CR", "[a]\rk=1\r", Set("a", "j", "2"), "[a]\rk=1\rj=2\r"},
        {"lone CR before an empty LF line", "[a]\rk=1\n\n", Set("a", "j", "2"), "[a]\rk=1\nj=2\r\n\n"},
        {"new file", "", Set("a", "k", "v"), "[a]\nk=v\n"},
        {"name without =", "[files]\r\na.dll\r\n", Set("files", "A.DLL", "1"), "[files]\r\na.dll=1\r\n"},
        {"quoted value", "[a]\nk=1\n", Set("a", "k", " x "), "[a]\nk=\" x \"\n"},
        {"key duplicates in the first section", "[a]\nk=1\n;c\nK=2\n[a]\nk=3\n", RemoveKey("a", "k"),
         "[a]\n;c\n[a]\nk=3\n"},
        {"last line without line end", "[a]\nk=1\nj=2", RemoveKey("a", "j"), "[a]\nk=1\n"},
        {"sections: header to last key", "\xEF\xBB\xBF[a]\nk=1\n;c\nj=2\n\n; about b\n[b]\nx=1\n[A]\n",
         RemoveSection("a"), "\xEF\xBB\xBF\n; about b\n[b]\nx=1\n"},
    };
    for (const EditCase& c : cases) {
        IniDocument document(c.before);
        EXPECT_EQ(c.edit(document), EditResult::Changed) << c.what;
        EXPECT_EQ(document.Bytes(), c.after) << c.what;
    }
}

// Other programs may read a quoted value as one and the bare text as less: a ";" inside it
// would start a comment.
TEST(IniDocumentEdit, NewValueKeepsTheQuotesOfTheOldOne) {
    const std::vector<EditCase> cases = {
        {"double quotes", "[php]\ndisable_functions = \"exec;system\" \n",
         Set("php", "disable_functions", "exec;system;passthru"),
         "[php]\ndisable_functions = \"exec;system;passthru\" \n"},
        {"single quotes", "[a]\r\nk='x'\r\n", Set("a", "k", "y"), "[a]\r\nk='y'\r\n"},
        {"empty", "[a]\nk=\"x\"\n", Set("a", "k", ""), "[a]\nk=\"\"\n"},
        {"a quoted value inside them", "[a]\nk=\"x\"\n", Set("a", "k", "\"y\""), "[a]\nk=\"\"y\"\"\n"},
        {"a bare value stays bare", "[a]\nk=x\n", Set("a", "k", "y;z"), "[a]\nk=y;z\n"},
        {"one quote is no pair", "[a]\nk=\"x\n", Set("a", "k", "y"), "[a]\nk=y\n"},
    };
    for (const EditCase& c : cases) {
        IniDocument document(c.before);
        EXPECT_EQ(c.edit(document), EditResult::Changed) << c.what;
        EXPECT_EQ(document.Bytes(), c.after) << c.what;
    }
    // The value lists hold it as the file does.
    const IniDocument document("[a]\nq = \"x;y\"\nbare=\"z\nsingle='w'\nempty=\"\"\nnone=\nlast=''");
    const std::optional<IniListing> keys = document.Keys({"a", 0});
    ASSERT_TRUE(keys);
    EXPECT_EQ(keys->Value(0), "x;y");
    EXPECT_EQ(keys->RawValue(0), "\"x;y\"");
    EXPECT_EQ(keys->RawValue(1), "\"z");
    EXPECT_EQ(keys->RawValue(2), "'w'");
    EXPECT_EQ(keys->Value(3), "");
    EXPECT_EQ(keys->RawValue(3), "\"\"") << "an empty value keeps its quotes too";
    EXPECT_EQ(keys->RawValue(4), "");
    EXPECT_EQ(keys->RawValue(5), "''") << "at the end of the file";
    EXPECT_EQ(document.Sections().RawValue(0), "");
}

TEST(IniDocumentEdit, NoChangeLeavesEveryByte) {
    const std::vector<EditCase> cases = {
        {"same value, quoted in the file", "[a]\nk = \"v\" \n", Set("A", "K", "v"), ""},
        {"empty value on a bare name", "[a]\nname\n", Set("a", "name", ""), ""},
        {"missing key", "[a]\nk=1\n", RemoveKey("a", "j"), ""},
        {"missing section", "[a]\nk=1\n", RemoveKey("b", "k"), ""},
        {"missing section removed", "[a]\nk=1", RemoveSection("b"), ""},
    };
    for (const EditCase& c : cases) {
        IniDocument document(c.before);
        EXPECT_EQ(c.edit(document), EditResult::Unchanged) << c.what;
        EXPECT_EQ(document.Bytes(), c.before) << c.what;
    }
}

TEST(IniDocumentEdit, RemovalThatWouldJoinTwoLinesIsRefused) {
    for (const EditCase& c : std::vector<EditCase>{
             {"key", "[a]\rk=1\n\nj=2", RemoveKey("a", "k"), ""},
             {"section", "x\r[a]\nk=1\n\n[b]\n", RemoveSection("a"), ""},
         }) {
        IniDocument document(c.before);
        EXPECT_EQ(c.edit(document), EditResult::Refused) << c.what;
        EXPECT_EQ(document.Bytes(), c.before) << c.what;
    }
}

TEST(IniDocumentEdit, AwkwardValuesReadBackExactly) {
    const std::vector<std::string> values = {
        "", " ", "  lead", "trail\t", "\"q\"", "'q'", "\"", "'", "\"mixed'", "a=b;c#d", "[x]",
        "\"\"", "tab\tinside", "\xFF\xFE bytes", "\"  \"", "'\"'",
    };
    for (const std::string& value : values) {
        IniDocument document("[a]\nk=old\n");
        ASSERT_EQ(document.SetValue("a", "k", value), EditResult::Changed) << value;
        EXPECT_EQ(ValueOf(document, "a", "k"), value);
        EXPECT_EQ(ValueOf(IniDocument(document.Bytes()), "a", "k"), value);
    }
}

TEST(IniDocumentEdit, RefusesWhatCannotReadBack) {
    struct Refused {
        std::string section, key, value;
    };
    const std::vector<Refused> cases = {
        {"a", "k", "line\nbreak"}, {"a", "k", "cr\r"}, {"a", "k", std::string("nul\0", 4)},
        {"a", "a=b", "v"}, {"a", "[k", "v"}, {"a", ";k", "v"}, {"a", "#k", "v"},
        {"a", " j", "v"}, {"a", "j\t", "v"}, {"a", "k\n", "v"},
        {"new]", "k", "v"}, {" new", "k", "v"}, {"new ", "k", "v"}, {"n\rew", "k", "v"},
    };
    for (const Refused& c : cases) {
        IniDocument document("[a]\nk=1");
        EXPECT_EQ(document.SetValue(c.section, c.key, c.value), EditResult::Refused) << c.section << "/" << c.key;
        EXPECT_EQ(document.Bytes(), "[a]\nk=1");
    }
    IniDocument document;
    EXPECT_EQ(document.SetValue("", "", "empty names are fine"), EditResult::Changed);
    EXPECT_EQ(document.Bytes(), "[]\n=empty names are fine\n");
}

TEST(IniDocumentEdit, DoubleByteNamesUnderCodePage936) {
    const LeadTable gbk = LeadTable::ForCodePage(TCodePage::Gbk);
    const std::string section = "\x81]";         // trail byte ']'
    const std::string key = "\x81=\x81\\Ab";     // trail bytes '=' and '\'
    IniDocument document("", gbk);
    ASSERT_EQ(document.SetValue(section, key, "v"), EditResult::Changed);
    EXPECT_EQ(document.Bytes(), "[\x81]]\n\x81=\x81\\Ab=v\n");
    const IniDocument reread(document.Bytes(), gbk);
    EXPECT_EQ(ValueOf(reread, section, "\x81=\x81\\aB"), "v");
    // Trail bytes are not letters: \x81A and \x81a are two names.
    ASSERT_EQ(document.SetValue(section, "\x81" "a", "2"), EditResult::Changed);
    ASSERT_EQ(document.SetValue(section, "\x81" "A", "3"), EditResult::Changed);
    EXPECT_EQ(ValueOf(document, section, "\x81" "a"), "2");
    ASSERT_EQ(document.RemoveKey(section, "\x81" "a"), EditResult::Changed);
    EXPECT_EQ(ValueOf(document, section, "\x81" "A"), "3");
    // A name ending in a lead byte would swallow the bracket or the "=" after it.
    EXPECT_EQ(document.SetValue("x\x81", "k", "v"), EditResult::Refused);
    EXPECT_EQ(document.SetValue(section, "k\x81", "v"), EditResult::Refused);
    // A bare name ending in a lead byte cannot take a value: the lead byte would take the "=".
    IniDocument bare("[s]\nname\x81\n", gbk);
    EXPECT_EQ(bare.SetValue("s", "name\x81", "v"), EditResult::Refused);
    EXPECT_EQ(bare.Bytes(), "[s]\nname\x81\n");
    // Without the lead-byte table the same section name cannot be held.
    EXPECT_EQ(IniDocument().SetValue(section, "k", "v"), EditResult::Refused);
}

}  // namespace

namespace {
// Reads interleaved with edits: a lookup may have found only the headers it needed so far.
TEST(IniDocumentEdit, ReadsBeforeEditsSeeTheWholeFile) {
    const std::string text = "[a]\nk=1\n[b]\nk=2\n[a]\nk=3\n[c]\nk=4\n";
    IniDocument document(text);
    EXPECT_EQ(ValueOf(document, "a", "k"), "1");
    ASSERT_EQ(document.SetValue("c", "k", "5"), EditResult::Changed);
    EXPECT_EQ(document.Bytes(), "[a]\nk=1\n[b]\nk=2\n[a]\nk=3\n[c]\nk=5\n");
    EXPECT_EQ(document.SectionNames(), (Names{"a", "b", "a", "c"}));

    IniDocument removing(text);
    EXPECT_EQ(ValueOf(removing, "b", "k"), "2");
    ASSERT_EQ(removing.RemoveSection("a"), EditResult::Changed);
    EXPECT_EQ(removing.Bytes(), "[b]\nk=2\n[c]\nk=4\n") << "every section of the name goes";
    EXPECT_EQ(ValueOf(removing, "c", "k"), "4");

    IniDocument adding(text);
    EXPECT_EQ(ValueOf(adding, "a", "k"), "1");
    ASSERT_EQ(adding.SetValue("d", "n", "6"), EditResult::Changed);
    EXPECT_EQ(ValueOf(adding, "c", "k"), "4");
    EXPECT_EQ(ValueOf(adding, "d", "n"), "6");
    EXPECT_EQ(adding.Bytes(), text + "[d]\nn=6\n");
}
}  // namespace

namespace {
// A set stops reading the headers at its key: the rest of the section, and the file, are
// found later, and every lookup still sees the first line of a name.
TEST(IniDocumentEdit, ASetThatStopsAtItsKeyLeavesTheRestToBeFound) {
    const std::string text = "[s]\nb=1\na=2\nc=3\na=4\n[t]\na=5\n[s]\na=6\n";
    IniDocument document(text);
    ASSERT_EQ(document.SetValue("s", "c", "x"), EditResult::Changed);
    EXPECT_EQ(document.Bytes(), "[s]\nb=1\na=2\nc=x\na=4\n[t]\na=5\n[s]\na=6\n");
    // A key found before where the set stopped: the first of its name, not the one after.
    ASSERT_EQ(document.SetValue("S", " A ", "y"), EditResult::Changed);
    EXPECT_EQ(document.Bytes(), "[s]\nb=1\na=y\nc=x\na=4\n[t]\na=5\n[s]\na=6\n");
    ASSERT_EQ(document.SetValue("t", "a", "z"), EditResult::Changed);
    EXPECT_EQ(document.Bytes(), "[s]\nb=1\na=y\nc=x\na=4\n[t]\na=z\n[s]\na=6\n");
    EXPECT_EQ(document.KeyNames("s"), (Names{"b", "a", "c", "a"}));
    EXPECT_EQ(document.SectionNames(), (Names{"s", "t", "s"}));
    ASSERT_EQ(document.RemoveKey("s", "a"), EditResult::Changed);
    EXPECT_EQ(document.Bytes(), "[s]\nb=1\nc=x\n[t]\na=z\n[s]\na=6\n") << "every line of the name goes";

    // A key the section does not have goes after its last key line, not where a search stopped.
    IniDocument adding(text);
    ASSERT_EQ(adding.SetValue("s", "b", "0"), EditResult::Changed);
    ASSERT_EQ(adding.SetValue("s", "new", "n"), EditResult::Changed);
    EXPECT_EQ(adding.Bytes(), "[s]\nb=0\na=2\nc=3\na=4\nnew=n\n[t]\na=5\n[s]\na=6\n");
    EXPECT_EQ(ValueOf(adding, "t", "a"), "5");

    // The value changes length in a section whose end is not found yet: what follows moves.
    IniDocument growing("[s]\nk=1\nm=2\n[u]\nk=3\n");
    ASSERT_EQ(growing.SetValue("s", "k", "a much longer value"), EditResult::Changed);
    ASSERT_EQ(growing.SetValue("s", "m", ""), EditResult::Changed);
    EXPECT_EQ(ValueOf(growing, "u", "k"), "3");
    EXPECT_EQ(growing.Bytes(), "[s]\nk=a much longer value\nm=\n[u]\nk=3\n");
    EXPECT_EQ(growing.LastChange().spans.size(), 1u);
}
}  // namespace

namespace {
// A removal by name takes every line of the name, whether the section's names were indexed by
// a listing or not, also once lines were added to an indexed section.
TEST(IniDocumentEdit, ARemovalByNameTakesEveryLineOfTheNameIndexedOrNot) {
    const std::string text = "[s]\na=1\nb=2\nA=3\nc=4\n[t]\na=5\n";
    for (const bool listed : {false, true}) {
        IniDocument document(text);
        if (listed) {
            ASSERT_TRUE(document.Keys({"s", 0}));
        }
        ASSERT_EQ(document.RemoveKey("s", "a"), EditResult::Changed) << listed;
        EXPECT_EQ(document.Bytes(), "[s]\nb=2\nc=4\n[t]\na=5\n") << listed;
    }
    IniDocument unique("[s]\na=1\nb=2\n[t]\nb=3\n");
    ASSERT_TRUE(unique.Keys({"s", 0}));
    ASSERT_EQ(unique.AddKey({"s", 0}, "c", "x"), EditResult::Changed);
    ASSERT_EQ(unique.RemoveKey("s", "b"), EditResult::Changed);
    EXPECT_EQ(unique.Bytes(), "[s]\na=1\nc=x\n[t]\nb=3\n");
    ASSERT_TRUE(unique.Keys({"s", 0}));
    ASSERT_EQ(unique.SetValue("s", "d", "1"), EditResult::Changed);
    ASSERT_EQ(unique.RemoveKey("s", "A"), EditResult::Changed);
    EXPECT_EQ(unique.Bytes(), "[s]\nc=x\nd=1\n[t]\nb=3\n");
}

// A removal in a section not read to its end yet searches the rest of it for the name's
// lines: only the name's own lines go, up to the next header, and what is found afterwards
// is where it is.
TEST(IniDocumentEdit, ARemovalFindsTheNamesLinesInTheSectionsUnreadRest) {
    const std::string text =
        "[s]\nb=1\n\x81" "a=2\na=3\nab=4\n;a=5\n  A  = 6\n\x81" "A=7\na\n[t]\na=8\n[s]\na=9\nz=0";
    IniDocument document(text, LeadTable::ForCodePage(TCodePage::Gbk));
    ASSERT_EQ(document.RemoveKey("s", "a"), EditResult::Changed);
    const std::string expected = "[s]\nb=1\n\x81" "a=2\nab=4\n;a=5\n\x81" "A=7\n[t]\na=8\n[s]\na=9\nz=0";
    EXPECT_EQ(document.Bytes(), expected);
    const IniDocument fresh(expected, LeadTable::ForCodePage(TCodePage::Gbk));
    EXPECT_EQ(document.KeyNames("s"), fresh.KeyNames("s"));
    EXPECT_EQ(document.SectionNames(), fresh.SectionNames());
    EXPECT_EQ(ValueOf(document, "t", "a"), "8");
    ASSERT_EQ(document.SetValue("s", "\x81" "A", "seven"), EditResult::Changed);
    ASSERT_EQ(document.RemoveKey("t", "a"), EditResult::Changed);
    EXPECT_EQ(document.Bytes(), "[s]\nb=1\n\x81" "a=2\nab=4\n;a=5\n\x81" "A=seven\n[t]\n[s]\na=9\nz=0");

    // A later line of the name that would leave a lone CR before an LF is refused there too.
    IniDocument loneCr("[s]\nb=1\nk=0\nc=1\rk=2\n\n");
    ASSERT_EQ(loneCr.SetValue("s", "b", "0"), EditResult::Changed);
    ASSERT_EQ(loneCr.RemoveKey("s", "k"), EditResult::Refused);
    EXPECT_EQ(loneCr.Refusal(), IniFailure::JoinsLines);
    EXPECT_EQ(loneCr.Bytes(), "[s]\nb=0\nk=0\nc=1\rk=2\n\n");
}
}  // namespace
