// A UTF-16 file through the engine: its bytes come back exactly when nothing is edited, and an
// edit changes its own units only, in the file's byte order.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/ini_document.h"
#include "engine/ini_service.h"
#include "tests/engine/temp_dir.h"
#include "utf16_text.h"

namespace {

constexpr TCodePage Utf8Page = TCodePage::Utf8;
constexpr TCodePage Utf16Le = TCodePage::Utf16Le;

// The units of the code points in the byte order, written here apart from the engine's
// encoder; a code point that is a surrogate goes in as that lone unit.
std::string Units(std::u32string_view text, bool bigEndian) {
    std::string bytes;
    const auto unit = [&](char32_t u) {
        const char high = char(u >> 8), low = char(u & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    };
    for (const char32_t c : text) {
        if (c < 0x10000) {
            unit(c);
        } else {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return bytes;
}

// UTF-8 of the code points; a lone surrogate reads as the replacement mark.
std::string Utf8(std::u32string_view text) {
    std::string bytes;
    for (char32_t c : text) {
        if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
        if (c < 0x80) {
            bytes += char(c);
        } else if (c < 0x800) {
            bytes += {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            bytes += {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
        } else {
            bytes += {char(0xF0 | c >> 18), char(0x80 | (c >> 12 & 0x3F)), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
        }
    }
    return bytes;
}

class RandomText {
public:
    explicit RandomText(unsigned seed) : random_(seed) {}

    // A character a value may hold: ASCII letters, two- and three-byte characters, ones outside
    // the Basic Multilingual Plane, and the replacement mark itself.
    char32_t ValueCharacter() {
        switch (Pick(6)) {
            case 0: return U'a' + Pick(26);
            case 1: return 0x80 + Pick(0x780) + (Pick(2) ? 0 : 0x20);
            case 2: return 0x4E00 + Pick(0x5200);
            case 3: return 0x10000 + Pick(0x100000);
            case 4: return 0xFFFD;
            default: return U'0' + Pick(10);
        }
    }
    std::u32string Value() {
        std::u32string value;
        for (std::size_t n = 1 + Pick(6); n > 0; --n) value += ValueCharacter();
        return value;
    }
    // Any character, line ends, NUL and byte-order marks among them.
    char32_t AnyCharacter() {
        static constexpr char32_t Odd[] = {U'\r', U'\n', 0, 0xFEFF, 0xFFFE, U'[', U'=', U';'};
        return Pick(3) == 0 ? Odd[Pick(std::size(Odd))] : ValueCharacter();
    }
    std::u32string LineEnd() {
        static const std::u32string Ends[] = {U"\r\n", U"\n", U"\r"};
        return Ends[Pick(3)];
    }
    std::size_t Pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_); }

private:
    std::mt19937 random_;
};

TEST(Utf16Text, EveryValidTextReadsAsItsCharacters) {
    RandomText random(33);
    for (int round = 0; round < 3000; ++round) {
        const bool bigEndian = random.Pick(2);
        std::u32string text = random.Pick(2) ? U"\uFEFF" : U"";
        const std::u32string end = random.LineEnd();
        // Long lines of ASCII too, which are read eight bytes at a time.
        const std::size_t longest = random.Pick(2) ? 12 : 40;
        for (std::size_t lines = random.Pick(8); lines > 0; --lines) {
            for (std::size_t n = random.Pick(longest); n > 0; --n)
                text += longest > 12 && random.Pick(8) ? char32_t(U'a' + random.Pick(26)) : random.AnyCharacter();
            text += end;
        }
        Utf16Layout layout;
        ASSERT_EQ(layout.Read(Units(text, bigEndian), bigEndian), Utf8(text)) << round;
        ASSERT_TRUE(layout.Undecodables().empty()) << round;
    }
}

TEST(Utf16Text, UnitsThatDoNotDecodeShowAsReplacementMarksWhereTheyStand) {
    RandomText random(1201);
    for (int round = 0; round < 3000; ++round) {
        const bool bigEndian = random.Pick(2);
        std::u32string text;
        std::vector<std::size_t> lone;  // where in the text
        for (std::size_t n = random.Pick(20); n > 0; --n) {
            const bool surrogate = random.Pick(4) == 0;
            // A high unit right before a low one would be a pair.
            if (surrogate && !(text.size() && text.back() >= 0xD800 && text.back() <= 0xDBFF)) {
                lone.push_back(Utf8(text).size());
                text += char32_t(0xDC00 + random.Pick(0x400) - (random.Pick(2) ? 0x400 : 0));
            } else {
                text += random.ValueCharacter();
            }
        }
        std::string bytes = Units(text, bigEndian);
        std::string expected = Utf8(text);
        if (random.Pick(2)) {
            lone.push_back(expected.size());
            bytes += char(random.Pick(256));
            expected += "\xEF\xBF\xBD";
        }
        Utf16Layout layout;
        ASSERT_EQ(layout.Read(bytes, bigEndian), expected) << round;
        ASSERT_EQ(layout.Undecodables().size(), lone.size()) << round;
        for (std::size_t i = 0; i < lone.size(); ++i) ASSERT_EQ(layout.Undecodables()[i].at, lone[i]) << round;
        ASSERT_EQ(layout.Bytes(), bytes);
    }
}

// A file of sections and keys built in units, where each value's and each key line's units are.
struct BuiltFile {
    std::string bytes;
    std::vector<std::pair<std::size_t, std::size_t>> values, lines;  // units, as byte ranges
};

BuiltFile Build(RandomText& random, bool bigEndian, bool mark, const std::u32string& end, std::size_t keys) {
    BuiltFile file;
    if (mark) file.bytes = Units(U"\uFEFF", bigEndian);
    file.bytes += Units(U"[s]" + end, bigEndian);
    for (std::size_t k = 0; k < keys; ++k) {
        const std::size_t lineBegin = file.bytes.size();
        file.bytes += Units(U"k" + std::u32string(1, U'a' + char32_t(k)) + U"=", bigEndian);
        const std::size_t valueBegin = file.bytes.size();
        file.bytes += Units(random.Value(), bigEndian);
        file.values.emplace_back(valueBegin, file.bytes.size());
        file.bytes += Units(end, bigEndian);
        file.lines.emplace_back(lineBegin, file.bytes.size());
    }
    return file;
}

TEST(Utf16Text, AnEditChangesOnlyItsOwnUnits) {
    RandomText random(20);
    for (int round = 0; round < 2000; ++round) {
        const bool bigEndian = random.Pick(2);
        const BuiltFile file = Build(random, bigEndian, random.Pick(2), random.LineEnd(), 1 + random.Pick(5));
        Utf16Layout layout;
        IniDocument document(layout.Read(file.bytes, bigEndian), LeadTable::ForCodePage(Utf8Page));
        const std::size_t k = random.Pick(file.values.size());
        const std::string key = "k" + std::string(1, char('a' + k));
        std::string expected;
        if (random.Pick(3) == 0) {
            ASSERT_EQ(document.RemoveKey("s", key), EditResult::Changed) << round;
            expected = file.bytes.substr(0, file.lines[k].first) + file.bytes.substr(file.lines[k].second);
        } else {
            const std::u32string value = random.Value();
            const EditResult result = document.SetValue("s", key, Utf8(value));
            if (result == EditResult::Unchanged) continue;
            ASSERT_EQ(result, EditResult::Changed) << round;
            expected = file.bytes.substr(0, file.values[k].first) + Units(value, bigEndian) +
                       file.bytes.substr(file.values[k].second);
        }
        EditRecord change;
        ASSERT_EQ(layout.Follow(document.LastChange(), document.Bytes(), change), IniFailure::None) << round;
        ASSERT_EQ(layout.Bytes(), expected) << round;
        ASSERT_EQ(Utf16Layout().Read(expected, bigEndian), document.Bytes()) << round;
        // The change a save in place writes is the same: the old bytes with its spans replaced.
        std::string patched = file.bytes;
        for (auto span = change.spans.rbegin(); span != change.spans.rend(); ++span) {
            ASSERT_EQ(patched.substr(span->offset, span->before.size()), span->before) << round;
            patched.replace(span->offset, span->before.size(), span->after);
        }
        ASSERT_EQ(patched, expected) << round;
    }
}

TEST(Utf16Text, AChangeOfPartOfACharacterTakesTheWholeUnits) {
    // "k=中𠮷" becomes "k=丰𠮸": records may keep only the bytes that differ.
    for (const bool bigEndian : {false, true}) {
        Utf16Layout layout;
        const std::string before = Units(U"k=\u4E2D\U00020BB7", bigEndian);
        ASSERT_EQ(layout.Read(before, bigEndian), "k=\xE4\xB8\xAD\xF0\xA0\xAE\xB7");
        EditRecord change;
        change.spans.push_back(ByteSpan{4, "\xAD", "\xB0", {}, {}, {}, {}});
        change.spans.push_back(ByteSpan{8, "\xB7", "\xB8", {}, {}, {}, {}});
        EditRecord fileChange;
        ASSERT_EQ(layout.Follow(change, "k=\xE4\xB8\xB0\xF0\xA0\xAE\xB8", fileChange), IniFailure::None);
        ASSERT_EQ(fileChange.spans.size(), 1u) << "the two characters meet";
        EXPECT_EQ(fileChange.spans[0].offset, 4u);
        EXPECT_EQ(fileChange.spans[0].before, Units(U"\u4E2D\U00020BB7", bigEndian));
        EXPECT_EQ(fileChange.spans[0].after, Units(U"\u4E30\U00020BB8", bigEndian));
    }
}

TEST(Utf16File, EditsThatTouchUndecodableUnitsAreRefusedAndTheRestStaysEditable) {
    TempDir dir;
    // "k" holds a lone high surrogate, and the file ends with an odd byte.
    const std::string lone = std::string("\xFF\xFE", 2) + Units(U"[a]\r\nk=x", false) + std::string("\x00\xD8", 2) +
                             Units(U"\r\nj=1\r\n", false) + "A";
    const std::string path = dir.Write("lone.ini", lone);
    IniService service;
    const IniFileRef file{path, Utf16Le};
    EXPECT_EQ(*service.Value(file, "a", "k"), "x\xEF\xBF\xBD");
    EXPECT_EQ(service.SetValue(file, "a", "k", "y").failure, IniFailure::Undecodable);
    EXPECT_EQ(service.RemoveKey(file, "a", "k").failure, IniFailure::Undecodable);
    EXPECT_EQ(ReadFile(path), lone);
    // A value taken for a replacement mark is a character like any other.
    EXPECT_EQ(service.SetValueAt(file, {{"a", 0}, "k", 0}, "x\xEF\xBF\xBD", "x\xEF\xBF\xBD").failure, IniFailure::None);
    const IniResult set = service.SetValue(file, "a", "j", "\xF0\xA0\xAE\xB7");
    ASSERT_TRUE(set.Succeeded());
    const std::string edited = std::string("\xFF\xFE", 2) + Units(U"[a]\r\nk=x", false) + std::string("\x00\xD8", 2) +
                               Units(U"\r\nj=\U00020BB7\r\n", false) + "A";
    EXPECT_EQ(ReadFile(path), edited);
    ASSERT_TRUE(service.Revert(file, set.change).Succeeded());
    EXPECT_EQ(ReadFile(path), lone);
    // Bytes that are no UTF-8 have no units.
    EXPECT_EQ(service.SetValue(file, "a", "j", "\xFF").failure, IniFailure::CannotHold);
    EXPECT_EQ(ReadFile(path), lone);
}

}  // namespace
