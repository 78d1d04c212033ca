// The document as the windows see it: rows are key lines, nodes are sections, duplicates are
// told apart by occurrence, and edits act on one of them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "engine/ini_document.h"

namespace {

using Row = std::tuple<std::string, std::string, std::uint32_t>;
using Lines = std::vector<std::string>;

std::vector<Row> RowsOf(const IniListing& list) {
    std::vector<Row> rows;
    for (std::size_t at = 0; at < list.Count(); ++at) rows.emplace_back(list.Name(at), list.Value(at), list.Occurrence(at));
    return rows;
}

std::vector<Row> KeysOf(const IniDocument& document, SectionRef section) {
    const std::optional<IniListing> keys = document.Keys(section);
    return keys ? RowsOf(*keys) : std::vector<Row>{{"<no such section>", "", 0}};
}

std::vector<Row> SectionsOf(const IniDocument& document) { return RowsOf(document.Sections()); }

template <typename Ref>
Lines CommentsOf(const IniDocument& document, Ref ref) {
    const auto comments = document.CommentsAbove(ref);
    if (!comments) return {"<no such line>"};
    return Lines(comments->begin(), comments->end());
}

TEST(IniStructure, EveryHeaderAndKeyLineWithItsOccurrence) {
    const IniDocument document(
        "top=no section\n"
        "[a]\nk=1\nK = \"2\" \n=empty\nx\n"
        "[ b ] tail\nj=1\n"
        "[A]\nk=3\n");
    EXPECT_EQ(SectionsOf(document), (std::vector<Row>{{"a", "", 0}, {"b", "", 0}, {"A", "", 1}}));
    EXPECT_EQ(KeysOf(document, {"a", 0}),
              (std::vector<Row>{{"k", "1", 0}, {"K", "2", 1}, {"", "empty", 0}, {"x", "", 0}}));
    EXPECT_EQ(KeysOf(document, {"A", 1}), (std::vector<Row>{{"k", "3", 0}}));
    EXPECT_EQ(KeysOf(document, {" b ", 0}), (std::vector<Row>{{"j", "1", 0}})) << "blanks around a name are not part of it";
    EXPECT_EQ(KeysOf(document, {"a", 2}), (std::vector<Row>{{"<no such section>", "", 0}}));
    // Reading by name after listing uses the index the listing built, first of a name answering.
    EXPECT_EQ(*document.Value("a", "K"), "1");
    EXPECT_EQ(*document.Value("a", ""), "empty");
}

// Every entry of a repeated name is marked, the first included, and none of a lone name.
TEST(IniStructure, RepeatedNamesAreMarkedOnEveryOccurrence) {
    const IniDocument document("[a]\nx=1\nk=1\ny=1\nK=2\nk=3\nz=1\n[b]\n[A]\n");
    const auto repeated = [](const IniListing& list) {
        std::vector<bool> marks;
        for (std::size_t at = 0; at < list.Count(); ++at) marks.push_back(list.Repeated(at));
        return marks;
    };
    EXPECT_EQ(repeated(*document.Keys({"a", 0})), (std::vector<bool>{false, true, false, true, true, false}));
    EXPECT_EQ(RowsOf(*document.Keys({"a", 0}))[4], (Row{"k", "3", 2})) << "the mark leaves the occurrence";
    EXPECT_EQ(repeated(document.Sections()), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(repeated(*document.Keys({"b", 0})), std::vector<bool>{});
}

// A listing finds repeats without an index; a repeat far from its first line, letter case aside,
// is still numbered, and reads by name after listings answer with the first of a name.
TEST(IniStructure, ARepeatFarFromItsFirstLineInALongSection) {
    std::string bytes = "[big]\n";
    for (int i = 0; i < 20000; ++i) bytes += "key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    IniDocument document(bytes + "KEY3=later\n");
    const IniListing rows = *document.Keys({"big", 0});
    ASSERT_EQ(rows.Count(), 20001u);
    std::vector<std::size_t> repeated;
    for (std::size_t at = 0; at < rows.Count(); ++at)
        if (rows.Repeated(at)) repeated.push_back(at);
    EXPECT_EQ(repeated, (std::vector<std::size_t>{3, 20000}));
    EXPECT_EQ(RowsOf(rows)[20000], (Row{"KEY3", "later", 1}));
    EXPECT_EQ(*document.Value("big", "key3"), "3");

    ASSERT_EQ(document.RemoveKeyAt({{"big", 0}, "KEY3", 1}, "later"), EditResult::Changed);
    const IniListing unique = *document.Keys({"big", 0});
    EXPECT_FALSE(unique.Repeated(3));
    // In file order, as a by-name reader of the whole section goes; then out of order.
    for (int i = 0; i < 20000; ++i) ASSERT_EQ(*document.Value("big", "KEY" + std::to_string(i)), std::to_string(i));
    EXPECT_EQ(*document.Value("big", "key17"), "17");
    ASSERT_EQ(document.SetValue("big", "key5", "five"), EditResult::Changed);
    ASSERT_EQ(document.SetValue("big", "new", "x"), EditResult::Changed);
    EXPECT_EQ(RowsOf(*document.Keys({"big", 0})).back(), (Row{"new", "x", 0}));
    EXPECT_EQ(*document.Value("big", "key5"), "five");
    EXPECT_EQ(*document.Value("big", "key6"), "6");
}

TEST(IniStructure, AListKeepsWhatItShowedWhileTheDocumentIsEdited) {
    IniDocument document("[a]\nk=1\nj=2\n");
    const IniListing rows = *document.Keys({"a", 0});
    const IniListing nodes = document.Sections();
    ASSERT_EQ(document.RemoveKey("a", "k"), EditResult::Changed);
    ASSERT_EQ(document.SetValue("a", "j", "a value long enough to move the bytes elsewhere"), EditResult::Changed);
    ASSERT_EQ(document.RenameSection({"a", 0}, "renamed"), EditResult::Changed);
    EXPECT_EQ(RowsOf(rows), (std::vector<Row>{{"k", "1", 0}, {"j", "2", 0}}));
    EXPECT_EQ(RowsOf(nodes), (std::vector<Row>{{"a", "", 0}}));
    EXPECT_EQ(document.Bytes(), "[renamed]\nj=a value long enough to move the bytes elsewhere\n");
}

TEST(IniStructure, CommentsRightAboveAHeaderOrAKeyLine) {
    const IniDocument document(
        "\xEF\xBB\xBF; first line\r\n"
        "[a]\r\n"
        "; about k\r\n"
        "  # second\r\n"
        "k=1\r\n"
        "\r\n"
        "; not about j: a blank line between\r\n"
        "\r\n"
        "j=2\r\n"
        "; about b\r"
        "[b]\n");
    EXPECT_EQ(CommentsOf(document, SectionRef{"a", 0}), (Lines{"; first line"}));
    EXPECT_EQ(CommentsOf(document, KeyRef{{"a", 0}, "k", 0}), (Lines{"; about k", "  # second"}));
    EXPECT_EQ(CommentsOf(document, KeyRef{{"a", 0}, "j", 0}), (Lines{}));
    EXPECT_EQ(CommentsOf(document, SectionRef{"b", 0}), (Lines{"; about b"}));
    EXPECT_EQ(CommentsOf(document, KeyRef{{"a", 0}, "k", 1}), (Lines{"<no such line>"}));
}

struct EditCase {
    const char* what;
    std::function<EditResult(IniDocument&)> edit;
    std::string after;  // empty: refused with `refusal`, nothing changed
    IniFailure refusal = IniFailure::None;
};

void ExpectEdits(const std::string& before, const std::vector<EditCase>& cases, LeadTable lead = {}) {
    for (const EditCase& c : cases) {
        IniDocument document(before, lead);
        const EditResult result = c.edit(document);
        if (c.after.empty()) {
            EXPECT_EQ(result, EditResult::Refused) << c.what;
            EXPECT_EQ(document.Refusal(), c.refusal) << c.what;
            EXPECT_EQ(document.Bytes(), before) << c.what;
        } else {
            EXPECT_EQ(result, EditResult::Changed) << c.what;
            EXPECT_EQ(document.Bytes(), c.after) << c.what;
            EXPECT_EQ(IniDocument(document.Bytes(), lead).SectionNames(), document.SectionNames()) << c.what;
        }
    }
}

TEST(IniAddressedEdit, ActsOnOneOccurrenceOnly) {
    const std::string before = "[a]\nk=1\nk = 2 \n[b]\nx=1\n[A]\nk=3\n\n; end\n";
    ExpectEdits(before, {
        {"value of the second row", [](IniDocument& d) { return d.SetValueAt({{"a", 0}, "k", 1}, "2", "9"); },
         "[a]\nk=1\nk = 9 \n[b]\nx=1\n[A]\nk=3\n\n; end\n"},
        {"remove the second row", [](IniDocument& d) { return d.RemoveKeyAt({{"a", 0}, "k", 1}, "2"); },
         "[a]\nk=1\n[b]\nx=1\n[A]\nk=3\n\n; end\n"},
        {"remove the second section", [](IniDocument& d) { return d.RemoveSectionAt({"A", 1}); },
         "[a]\nk=1\nk = 2 \n[b]\nx=1\n\n; end\n"},
        {"add to the second section", [](IniDocument& d) { return d.AddKey({"A", 1}, "n", "v"); },
         "[a]\nk=1\nk = 2 \n[b]\nx=1\n[A]\nk=3\nn=v\n\n; end\n"},
        {"add a name the first section has, to the second", [](IniDocument& d) { return d.AddKey({"A", 1}, "x", "v"); },
         "[a]\nk=1\nk = 2 \n[b]\nx=1\n[A]\nk=3\nx=v\n\n; end\n"},
        {"add a name the section has", [](IniDocument& d) { return d.AddKey({"a", 0}, "K", "v"); }, "",
         IniFailure::NameTaken},
        {"repeat a name the section has", [](IniDocument& d) { return d.AppendKey({"a", 0}, "K", "v"); },
         "[a]\nk=1\nk = 2 \nK=v\n[b]\nx=1\n[A]\nk=3\n\n; end\n"},
        {"a header of a name the file has", [](IniDocument& d) { return d.AddHeader("B"); },
         "[a]\nk=1\nk = 2 \n[b]\nx=1\n[A]\nk=3\n\n; end\n[B]\n"},
        {"a header that would not read back", [](IniDocument& d) { return d.AddHeader("x]y"); }, "",
         IniFailure::CannotHold},
        {"a value the caller did not see", [](IniDocument& d) { return d.SetValueAt({{"a", 0}, "k", 1}, "1", "9"); }, "",
         IniFailure::Stale},
        {"a row that is not there", [](IniDocument& d) { return d.RemoveKeyAt({{"a", 0}, "k", 2}, "2"); }, "",
         IniFailure::Stale},
        {"a name spelled otherwise than shown", [](IniDocument& d) { return d.RemoveSectionAt({"a", 1}); }, "",
         IniFailure::Stale},
        {"a section that is not there", [](IniDocument& d) { return d.AddKey({"c", 0}, "n", "v"); }, "",
         IniFailure::Stale},
    });
}

TEST(IniAddressedEdit, BlanksInsideTheBracketsAreNotPartOfTheName) {
    ExpectEdits("[ b ]\nk=1\n; end\n", {
        {"value", [](IniDocument& d) { return d.SetValue(" b ", "k", "2"); }, "[ b ]\nk=2\n; end\n"},
        {"add", [](IniDocument& d) { return d.AddKey({"b", 0}, "j", "2"); }, "[ b ]\nk=1\nj=2\n; end\n"},
        {"remove", [](IniDocument& d) { return d.RemoveSection(" b "); }, "; end\n"},
    });
}

TEST(IniRename, OnlyTheNameBytesChange) {
    ExpectEdits("[a]\r\n  Key = v ; c\r\nfile.dll\r\ndup=1\r\ndup=2\r\n[ s ] tail\r\n[open\r\n", {
        {"key with spacing", [](IniDocument& d) { return d.RenameKey({{"a", 0}, "Key", 0}, "New"); },
         "[a]\r\n  New = v ; c\r\nfile.dll\r\ndup=1\r\ndup=2\r\n[ s ] tail\r\n[open\r\n"},
        {"name without a value", [](IniDocument& d) { return d.RenameKey({{"a", 0}, "file.dll", 0}, "b.dll"); },
         "[a]\r\n  Key = v ; c\r\nb.dll\r\ndup=1\r\ndup=2\r\n[ s ] tail\r\n[open\r\n"},
        {"second of duplicates", [](IniDocument& d) { return d.RenameKey({{"a", 0}, "dup", 1}, "other"); },
         "[a]\r\n  Key = v ; c\r\nfile.dll\r\ndup=1\r\nother=2\r\n[ s ] tail\r\n[open\r\n"},
        {"letter case of its own name", [](IniDocument& d) { return d.RenameKey({{"a", 0}, "Key", 0}, "KEY"); },
         "[a]\r\n  KEY = v ; c\r\nfile.dll\r\ndup=1\r\ndup=2\r\n[ s ] tail\r\n[open\r\n"},
        {"section with blanks and a tail", [](IniDocument& d) { return d.RenameSection({"s", 0}, "t"); },
         "[a]\r\n  Key = v ; c\r\nfile.dll\r\ndup=1\r\ndup=2\r\n[ t ] tail\r\n[open\r\n"},
        {"header without a bracket", [](IniDocument& d) { return d.RenameSection({"open", 0}, "shut"); },
         "[a]\r\n  Key = v ; c\r\nfile.dll\r\ndup=1\r\ndup=2\r\n[ s ] tail\r\n[shut\r\n"},
        {"empty key name", [](IniDocument& d) { return d.RenameKey({{"a", 0}, "Key", 0}, ""); }, "", IniFailure::EmptyName},
        {"taken, letter case aside", [](IniDocument& d) { return d.RenameKey({{"a", 0}, "Key", 0}, "FILE.DLL"); }, "",
         IniFailure::NameTaken},
        {"a duplicate to its twin's name", [](IniDocument& d) { return d.RenameKey({{"a", 0}, "dup", 1}, "Dup"); }, "",
         IniFailure::NameTaken},
        {"key name with =", [](IniDocument& d) { return d.RenameKey({{"a", 0}, "Key", 0}, "a=b"); }, "",
         IniFailure::CannotHold},
        {"key name starting a comment", [](IniDocument& d) { return d.RenameKey({{"a", 0}, "Key", 0}, ";k"); }, "",
         IniFailure::CannotHold},
        {"key name with blanks around", [](IniDocument& d) { return d.RenameKey({{"a", 0}, "Key", 0}, " k"); }, "",
         IniFailure::CannotHold},
        {"key name with NUL", [](IniDocument& d) { return d.RenameKey({{"a", 0}, "Key", 0}, std::string("k\0", 2)); }, "",
         IniFailure::CannotHold},
        {"section name with ]", [](IniDocument& d) { return d.RenameSection({"s", 0}, "x]y"); }, "",
         IniFailure::CannotHold},
        {"section taken", [](IniDocument& d) { return d.RenameSection({"s", 0}, "A"); }, "", IniFailure::NameTaken},
        {"empty section name", [](IniDocument& d) { return d.RenameSection({"s", 0}, ""); }, "", IniFailure::EmptyName},
        {"stale row", [](IniDocument& d) { return d.RenameKey({{"a", 0}, "gone", 0}, "x"); }, "", IniFailure::Stale},
    });
}

TEST(IniRename, AHeaderWithoutALineEndKeepsItsWholeNewName) {
    for (const std::string before : {"[a]\nk=1\n[", "[a]\nk=1\n[b"}) {
        IniDocument document(before);
        ASSERT_EQ(document.RenameSection({before.substr(before.rfind('[') + 1), 0}, "longer"), EditResult::Changed);
        EXPECT_EQ(document.Bytes(), "[a]\nk=1\n[longer");
        ASSERT_EQ(document.RemoveSection("longer"), EditResult::Changed);
        EXPECT_EQ(document.Bytes(), "[a]\nk=1\n") << "the whole header goes";
    }
}

TEST(IniRename, RenamedNamesAreFoundAndDuplicatesRenumbered) {
    IniDocument document("[a]\nk=1\n[b]\nk=2\n[a]\nk=3\n");
    EXPECT_EQ(*document.Value("a", "k"), "1");
    ASSERT_EQ(document.RenameSection({"a", 0}, "c"), EditResult::Changed);
    EXPECT_EQ(*document.Value("a", "k"), "3") << "the second [a] is the first now";
    EXPECT_EQ(*document.Value("C", "k"), "1");
    EXPECT_EQ(SectionsOf(document), (std::vector<Row>{{"c", "", 0}, {"b", "", 0}, {"a", "", 0}}));
    ASSERT_EQ(document.RenameKey({{"b", 0}, "k", 0}, "j"), EditResult::Changed);
    EXPECT_EQ(*document.Value("b", "j"), "2");
    EXPECT_FALSE(document.Value("b", "k"));
}

TEST(IniRename, DoubleByteNamesUnderCodePage936) {
    const LeadTable gbk = LeadTable::ForCodePage(TCodePage::Gbk);
    ExpectEdits("[\x81]]\n\x81=k=1\n", {
        {"section whose trail byte is ]", [](IniDocument& d) { return d.RenameSection({"\x81]", 0}, "\x82]"); },
         "[\x82]]\n\x81=k=1\n"},
        {"key whose trail byte is =", [](IniDocument& d) { return d.RenameKey({{"\x81]", 0}, "\x81=k", 0}, "\x82="); },
         "[\x81]]\n\x82==1\n"},
        {"key ending in a lead byte", [](IniDocument& d) { return d.RenameKey({{"\x81]", 0}, "\x81=k", 0}, "k\x81"); }, "",
         IniFailure::CannotHold},
    }, gbk);
}

}  // namespace
