#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "temp_folder.h"
#include "text/file_stream.h"
#include "text/string_list.h"

namespace {

using Lines = std::vector<std::string>;

struct Counted : TStringList {
    int before = 0;
    int after = 0;
    Counted() {
        OnBeforeChange = [this] { ++before; };
        OnAfterChange = [this] { ++after; };
    }
    Lines All() const {
        Lines lines;
        for (int i = 0; i < LineCount(); ++i) lines.push_back(LineAt(i));
        return lines;
    }
};

void ExpectOpenError(TStrings& list, const std::string& path) {
    try {
        list.LoadLinesFromFile(path);
        ADD_FAILURE() << path;
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + path);
    }
}

}  // namespace

TEST(StringList, CapacityGrowsByFourThenSixteenThenAQuarter) {
    TStringList list;
    std::vector<int> capacities;
    for (int i = 0; i < 100; ++i) {
        list.AppendLine("x");
        if (capacities.empty() || capacities.back() != list.Capacity())
            capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
    list.RemoveAll();
    EXPECT_EQ(list.Capacity(), 0);
}

TEST(StringList, NotifiesOncePerChangeOrBracket) {
    Counted list;
    EXPECT_EQ(list.AppendLine("a"), 0);
    list.ReplaceLineAt(0, "b");
    EXPECT_EQ(list.before + list.after, 4);
    list.BeginBatch();
    list.BeginBatch();
    list.AppendLine("c");
    list.EndBatch();
    list.RemoveAll();
    EXPECT_EQ(list.after, 2) << "nothing fires inside a bracket";
    list.EndBatch();
    list.RemoveAll();  // already empty: no notification
    EXPECT_EQ(list.before, 3);
    EXPECT_EQ(list.after, 3);
}

TEST(StringList, IndexErrorsNameTheIndex) {
    TStringList list;
    list.AppendLine("only");
    EXPECT_THROW(list.ReplaceLineAt(1, "x"), EStringListError);
    try {
        list.LineAt(-1);
        ADD_FAILURE();
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (-1)");
    }
}

TEST(StringList, SplitsAtEachKindOfLineEnd) {
    const std::pair<std::string, Lines> cases[] = {
        {"", {}},
        {"X\r\nY", {"X", "Y"}},
        {"X\nY\n", {"X", "Y"}},
        {"X\n\n", {"X", ""}},
        {"X\r\r\nY", {"X", "", "Y"}},
        {"X\n\rY\r", {"X", "", "Y"}},
        {"\r\n", {""}},
        {std::string("X\0Y\nZ", 5), {"X"}},
        {"\xEF\xBB\xBF[a]\tb \x01", {"\xEF\xBB\xBF[a]\tb \x01"}},
    };
    for (const auto& [text, lines] : cases) {
        Counted list;
        list.AppendLine("old");
        list.SplitIntoLines(text);
        EXPECT_EQ(list.All(), lines) << testing::PrintToString(text);
    }
}

TEST(StringList, LoadsAFileInOneBracketAndEditsItsLines) {
    TempFolder folder;
    Counted list;
    list.AppendLine("stale");
    int countBefore = -1;
    list.OnBeforeChange = [&] { countBefore = list.LineCount(); };
    list.LoadLinesFromFile(folder.File("a.ini", "[one]\r\nk=v\n\n[two]\rlast"));
    EXPECT_EQ(countBefore, 1) << "the notice comes before the change";
    EXPECT_EQ(list.after, 2);
    EXPECT_EQ(list.All(), (Lines{"[one]", "k=v", "", "[two]", "last"}));

    list.ReplaceLineAt(1, "k");  // fits in place
    list.ReplaceLineAt(0, "[a longer first line]");
    list.AppendLine("new");
    EXPECT_EQ(list.All(), (Lines{"[a longer first line]", "k", "", "[two]", "last", "new"}));

    list.LoadLinesFromFile(folder.File("empty.ini", ""));
    EXPECT_EQ(list.LineCount(), 0);
}

TEST(StringList, AFileReadInStepsComesWholeOrStopsWhereItWasToldTo) {
    TempFolder folder;
    const std::string text = "[one]\r\nk=v\n" + std::string(100, 'x') + "\nlast";
    const std::string path = folder.File("a.ini", text);
    std::vector<std::pair<std::size_t, std::size_t>> steps;
    TFileStream whole(path);
    EXPECT_EQ(ReadTextInSteps(whole, path, 16, [&](std::size_t done, std::size_t size) {
                  steps.emplace_back(done, size);
                  return true;
              }),
              text);
    ASSERT_EQ(steps.size(), (text.size() + 15) / 16);
    EXPECT_EQ(steps.front(), std::make_pair(std::size_t(16), text.size()));
    EXPECT_EQ(steps.back(), std::make_pair(text.size(), text.size()));

    TFileStream stopped(path);
    int calls = 0;
    EXPECT_EQ(ReadTextInSteps(stopped, path, 16, [&](std::size_t, std::size_t) { return ++calls < 3; }), std::nullopt);
    EXPECT_EQ(calls, 3) << "no read after the step that said stop";

    TFileStream empty(folder.File("empty.ini", ""));
    EXPECT_EQ(ReadTextInSteps(empty, path, 16, [](std::size_t, std::size_t) { return false; }), "");
}

TEST(StringList, AFilesTextIsReadWholeNulBytesIncluded) {
    TempFolder folder;
    const std::string bytes = std::string("\xFF\xFE[\0a\0]\0\r\0\n\0", 12);  // UTF-16: NUL bytes inside
    EXPECT_EQ(LoadFileText(folder.File("wide.ini", bytes)), bytes);
    EXPECT_THROW(LoadFileText(folder.Path("missing.ini")), EFOpenError);
}

TEST(StringList, FilesThatCannotBeOpenedLeaveTheListAlone) {
    TempFolder folder;
    Counted list;
    list.AppendLine("kept");
    ExpectOpenError(list, folder.Path("missing.ini"));
    ExpectOpenError(list, folder.Path(""));  // the folder itself

    const std::string locked = folder.File("locked.ini", "a\n");
    const int writer = open(locked.c_str(), O_RDWR);
    ASSERT_EQ(flock(writer, LOCK_EX | LOCK_NB), 0);
    ExpectOpenError(list, locked);
    close(writer);
    EXPECT_EQ(list.All(), Lines{"kept"});
    EXPECT_EQ(list.before, 1);

    const int reader = open(locked.c_str(), O_RDONLY);
    ASSERT_EQ(flock(reader, LOCK_SH | LOCK_NB), 0);
    list.LoadLinesFromFile(locked);
    EXPECT_EQ(list.All(), Lines{"a"}) << "another reader does not keep us out";
    close(reader);
}

TEST(StringList, FileOfTwoGibibytesIsRefusedByName) {
    TempFolder folder;
    const std::string path = folder.File("huge.ini", "");
    ASSERT_EQ(truncate(path.c_str(), 2LL << 30), 0);  // sparse: takes no room
    TStringList list;
    try {
        list.LoadLinesFromFile(path);
        ADD_FAILURE();
    } catch (const EFileTooLarge& e) {
        EXPECT_NE(e.Message().find(path), std::string::npos) << e.Message();
    }
}

TEST(StringList, ShortReadKeepsOnlyTheBytesRead) {
    // A file shrinking while being read: the read fills the buffer but reports fewer bytes.
    struct ShortStream : TStream {
        std::int32_t Read(void* buffer, std::int32_t count) override {
            std::memcpy(buffer, &"one\ntwo\nthree"[2], static_cast<size_t>(count));
            return 6;
        }
        std::int64_t Seek(std::int64_t, TSeekOrigin origin) override {
            return origin == TSeekOrigin::End ? 13 : 2;  // stays at byte 2
        }
    } stream;
    Counted list;
    list.LoadLinesFromStream(stream);
    EXPECT_EQ(list.All(), (Lines{"e", "two"}));
}
