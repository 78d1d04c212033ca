// The recently loaded files: a load goes into the desktop's list in the data folder, and in a
// later run Down in the file-name field drops down the files this program loaded, newest first.
#include "main_window_fixture.h"

#include "platform/recent_files.h"
#include "support/scoped_seam.h"

namespace apptest {
namespace {

class RecentFilesTest : public MainWindowTest {
protected:
    // Presses Down in the field; the captions of the list that drops down (none when nothing
    // drops), choosing the one at `choose` when there is one.
    std::vector<std::string> DropDown(int choose = -1) {
        std::vector<std::string> shown;
        ScopedSeam<PopupMenuChooser> seam(SetPopupMenuChooser, [&](TPopupMenu& menu, int, int y) -> TMenuItem* {
            for (int i = 0; i < menu.ItemCount(); ++i) shown.push_back(menu.Item(i)->Caption());
            const QWidget* field = WidgetOf(*main->ledtfname);
            EXPECT_EQ(y, field->mapToGlobal(QPoint(0, field->height())).y()) << "the list drops from under the field";
            return choose >= 0 && choose < menu.ItemCount() ? menu.Item(choose) : nullptr;
        });
        QWidget* field = WidgetOf(*main->ledtfname);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Down);
        return shown;
    }
    std::string Xbel() const { return Path("data/recently-used.xbel"); }
};

TEST_F(RecentFilesTest, LoadedFilesAreInTheDesktopsListAndTheFieldOffersThemInTheNextRun) {
    EXPECT_EQ(DropDown(), std::vector<std::string>{}) << "nothing loaded yet: nothing drops";
    const std::string a = File("a.ini", "[A]\nk=1\n"), b = File("b&c.ini", "[B]\nk=2\n");
    const std::string gone = File("gone.ini", "[G]\n");
    TypePathAndEnter(gone);
    TypePathAndEnter(a);
    TypePathAndEnter(b);
    TypePathAndEnter(b);  // loaded again: no second entry
    EXPECT_EQ(TRecentFiles(Xbel()).Files(10), (std::vector<std::string>{b, a, gone}));
    EXPECT_NE(ReadBytes(Xbel()).find("name=\"iniviewer\""), std::string::npos) << "we are named as the user";
    std::filesystem::remove(gone);

    main.reset(new TForm1(Application));
    main->Show();
    WidgetOf(*main)->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(WidgetOf(*main)));
    EXPECT_EQ(DropDown(), (std::vector<std::string>{Path("b&&c.ini"), a}))
        << "newest first, a missing file left out, '&' no access key";
    EXPECT_EQ(main->ledtfname->Text(), "") << "closed without a choice: the field as it was";

    EXPECT_EQ(DropDown(1), (std::vector<std::string>{Path("b&&c.ini"), a}));
    EXPECT_EQ(main->ledtfname->Text(), a);
    EXPECT_EQ(CurrentIniPath, a) << "the chosen file loads";
    EXPECT_EQ(DropDown().front(), a) << "and is the newest now";
}

}  // namespace
}  // namespace apptest
