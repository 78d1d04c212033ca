#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/window_memory.h"
#include "support/file_bytes.h"
#include "text/temp_folder.h"

namespace {

TEST(WindowMemory, ValuesComeBackInALaterRunAndEachNameKeepsItsOwn) {
    TempFolder folder;
    const std::string store = folder.Path("state/iniviewer/window");
    EXPECT_EQ(TWindowMemory(store).Recall("tree-width"), std::nullopt) << "nothing kept yet";
    // A folder name may hold any byte but NUL: spaces, line ends, '%', GBK bytes.
    const std::string folderName = "/home/u/my %20 \xC4\xE3\n2";
    ASSERT_TRUE(TWindowMemory(store).Remember("tree-width", "210"));
    ASSERT_TRUE(TWindowMemory(store).Remember("open-folder", folderName));
    ASSERT_TRUE(TWindowMemory(store).Remember("tree-width", "230"));

    TWindowMemory later(store);
    EXPECT_EQ(later.RecallNumber("tree-width"), 230);
    EXPECT_EQ(later.Recall("open-folder"), folderName);
    EXPECT_EQ(later.RecallNumber("open-folder"), std::nullopt) << "not a number";
    const std::string text = ReadFile(store);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3) << "one entry a line, whatever the value holds";
    EXPECT_FALSE(later.Remember("two words", "x")) << "a name is one word";
}

TEST(WindowMemory, AStoreOfAnotherFormatOrWithBrokenLinesGivesWhatItCan) {
    TempFolder folder;
    const std::string store = folder.File("window", "something else 1\ntree-width 200\n");
    EXPECT_EQ(TWindowMemory(store).Recall("tree-width"), std::nullopt);
    folder.File("window", "iniviewer window 1\nbroken\ntree-width 2%G0\nopen-folder /tmp\n");
    EXPECT_EQ(TWindowMemory(store).Recall("tree-width"), std::nullopt);
    EXPECT_EQ(TWindowMemory(store).Recall("open-folder"), "/tmp");
    ASSERT_TRUE(TWindowMemory(store).Remember("tree-width", "190"));
    EXPECT_EQ(ReadFile(store), "iniviewer window 1\nopen-folder /tmp\ntree-width 190\n") << "broken lines are dropped";
    EXPECT_FALSE(TWindowMemory("").Remember("tree-width", "1")) << "no state folder: nothing kept";
}

}  // namespace
