#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QTranslator>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "dialogs/dialog_components.h"
#include "dialogs/dialog_placement.h"
#include "dialogs/filter_buffer.h"
#include "dialogs/open_dialog.h"
#include "encoding/code_page.h"
#include "encoding/code_page_conversion.h"
#include "platform/display_text.h"
#include "platform/file_chooser_seam.h"
#include "platform/message_box.h"
#include "platform/toolkit_translation.h"
#include "shell/application.h"
#include "support/locale_guard.h"
#include "support/scoped_seam.h"
#include "text/temp_folder.h"
#include "ui/form.h"
#include "ui/layout_reader.h"

namespace {

using namespace std::string_literals;

const std::string kAppFilter = Ansi("Ini文件,inf文件|*.ini;*.inf");

std::vector<std::string> Lines(const TStringList& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.LineCount(); ++i) lines.push_back(list.LineAt(i));
    return lines;
}

// Runs the dialog on the real chooser; drive acts on it once it is shown and must close it.
bool RunWith(TOpenDialog& dialog, std::function<void(QDialog&)> drive) {
    ScopedSeam hook(SetFileChooserShownHook, [&drive](QDialog& chooser) {
        try {
            drive(chooser);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "driving the chooser failed: " << e.what();
        }
        if (chooser.isVisible()) {
            ADD_FAILURE() << "the chooser was left open";
            chooser.reject();
        }
    });
    return dialog.RunOpenDialog();
}

template <typename Widget>
Widget& Part(QDialog& chooser, const char* name) {
    auto* widget = chooser.findChild<Widget*>(QLatin1String(name));
    if (!widget) throw std::runtime_error(std::string("the chooser has no ") + name);
    return *widget;
}

QLineEdit& NameField(QDialog& chooser) { return Part<QLineEdit>(chooser, "fileNameEdit"); }

void TypeAndAccept(QDialog& chooser, const QString& name) {
    NameField(chooser).setText(name);
    QTest::keyClick(&NameField(chooser), Qt::Key_Return);
}

// The entries of the type list.
QStringList NameFilters(QDialog& chooser) {
    QStringList filters;
    auto& types = Part<QComboBox>(chooser, "fileTypeCombo");
    for (int i = 0; i < types.count(); ++i) filters << types.itemText(i);
    return filters;
}

QString SelectedNameFilter(QDialog& chooser) { return Part<QComboBox>(chooser, "fileTypeCombo").currentText(); }

// The folder the chooser lists.
QString Folder(QDialog& chooser) { return Part<QComboBox>(chooser, "lookInCombo").currentText(); }

// The names that the chooser lists in its folder, once it has read the folder.
QStringList ListedNames(QDialog& chooser, int expected) {
    QListView* view = &Part<QListView>(chooser, "listView");
    (void)QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) >= expected; }, 5000);
    QTest::qWait(100);  // anything that would come on top of the expected rows
    QStringList names;
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
        names << view->model()->index(row, 0, view->rootIndex()).data().toString();
    names.sort();
    return names;
}

// ---------------------------------------------------------------- filter buffer

TEST(FilterBuffer, SplitsDescriptionsAndPatternsIntoZeroSeparatedItems) {
    EXPECT_EQ(BuildFilterBuffer(kAppFilter), Ansi("Ini文件,inf文件") + "\0*.ini;*.inf\0\0"s);
    EXPECT_EQ(BuildFilterBuffer("A|*.a|B|*.b"), "A\0*.a\0B\0*.b\0\0"s);
    EXPECT_EQ(BuildFilterBuffer(""), "");
}

TEST(FilterBuffer, KeepsABarThatIsTheSecondByteOfADoubleByteCharacter) {
    const std::string filter = "\x81\x7C" "x|*.ini";
    EXPECT_EQ(BuildFilterBuffer(filter), "\x81\0x\0*.ini\0\0"s) << "a single-byte locale splits at every bar";
    ScopedLocale chinese("zh_CN.GBK", TCodePage::Gbk);
    EXPECT_EQ(BuildFilterBuffer(filter), "\x81\x7C" "x\0*.ini\0\0"s);
    // After an even run of lead bytes the bar stands alone again.
    EXPECT_EQ(BuildFilterBuffer("\x81\x81|*.a"), "\x81\x81\0*.a\0\0"s);
}

// ---------------------------------------------------------------- collecting names

TEST(CollectFileNames, ReadsSingleAndMultipleChoices) {
    struct Case {
        TOpenOptions options;
        std::string buffer;
        std::vector<std::string> files;
    };
    const TOpenOptions multi{ofAllowMultiSelect};
    const std::vector<Case> cases = {
        {{}, "/tmp/a b.ini\0stale"s, {"/tmp/a b.ini"}},
        // Rooted items and items with a drive keep their own folder; "D:\\" is too short.
        {multi, "/data\0a.ini\0/abs/b.ini\0\\c.ini\0D:\\d.ini\0D:\\\0\0after.ini\0"s,
         {"/data/a.ini", "/abs/b.ini", "\\c.ini", "D:\\d.ini", "/data/D:\\"}},
        {multi, "/\0a.ini\0b.ini\0\0"s, {"/a.ini", "/b.ini"}},
        {multi, "/data/only.ini\0\0"s, {"/data/only.ini"}},
        {{ofAllowMultiSelect, ofOldStyleDialog}, "/data a.ini b.ini\0c.ini\0"s, {"/data/a.ini", "/data/b.ini"}},
    };
    for (const Case& c : cases) {
        TOpenDialog dialog(nullptr);
        dialog.SetOptions(c.options);
        TFileChooserRequest record;
        record.MaxFile = c.options.Has(ofAllowMultiSelect) ? 65519 : 260;
        record.File.assign(size_t(record.MaxFile) + 2, '\0');
        std::copy(c.buffer.begin(), c.buffer.end(), record.File.begin());
        dialog.CollectFileNames(record);
        EXPECT_EQ(Lines(dialog.ChosenFiles()), c.files) << c.buffer;
        EXPECT_EQ(dialog.FileName(), c.files.front()) << c.buffer;
    }
}

// ---------------------------------------------------------------- properties

TEST(OpenDialogProperties, InitialDirDropsOneTrailingSeparator) {
    TOpenDialog dialog(nullptr);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/tmp/dir/", "/tmp/dir"}, {"C:\\dir\\", "C:\\dir"}, {"dir\\\\", "dir\\"},
        {"/", "/"},               {"\\", "\\"},             {"C:\\", "C:\\"},
        {"", ""},                 {"/tmp", "/tmp"},
    };
    for (const auto& [given, stored] : cases) {
        dialog.SetInitialDir(given);
        EXPECT_EQ(dialog.InitialDir(), stored) << given;
    }
    ScopedLocale chinese("zh_CN.GBK", TCodePage::Gbk);
    dialog.SetInitialDir("\x81\x5C");
    EXPECT_EQ(dialog.InitialDir(), "\x81\x5C") << "the second byte of a character is no separator";
    dialog.SetInitialDir("\x81\x5C\\");
    EXPECT_EQ(dialog.InitialDir(), "\x81\x5C");
}

TEST(OpenDialogProperties, LayoutSetsPropertiesOfARegisteredDialog) {
    RegisterDialogComponents();
    RegisterLayoutText("TOpenDialogHost", R"(
Host : TOpenDialogHost {
  dlgopen : TOpenDialog {
    Filter = "Ini文件,inf文件|*.ini;*.inf"
    FilterIndex = 2
    InitialDir = "/tmp/x/"
    Title = "Pick"
    DefaultExt = "ini"
    Options = [ofFileMustExist, ofAllowMultiSelect]
    OptionsEx = [ofExNoPlacesBar]
    HelpContext = 7
  }
}
)");
    struct THost : TForm {
        explicit THost(TComponent* owner) : TForm(owner) { LoadLayoutOf("TOpenDialogHost"); }
    };
    THost host(nullptr);
    auto* dialog = dynamic_cast<TOpenDialog*>(host.FindComponent("dlgopen"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Filter(), kAppFilter);
    EXPECT_EQ(dialog->FilterIndex(), 2);
    EXPECT_EQ(dialog->InitialDir(), "/tmp/x");
    EXPECT_EQ(dialog->Title(), "Pick");
    EXPECT_EQ(dialog->DefaultExt(), "ini");
    EXPECT_EQ(dialog->Options(), (TOpenOptions{ofFileMustExist, ofAllowMultiSelect}));
    EXPECT_EQ(dialog->OptionsEx(), TOpenOptionsEx{ofExNoPlacesBar});
    EXPECT_EQ(dialog->HelpContext(), 7);
}

// ---------------------------------------------------------------- placement

TEST(PlaceDialogOnMonitor, CentresAcrossWithAThirdOfTheFreeHeightAbove) {
    const TRect second{1920, 0, 3840, 1080};
    const TRect placed = PlacedOnMonitor(TRect{10, 20, 610, 420}, second);
    EXPECT_EQ(placed.Left, 1920 + 660);
    EXPECT_EQ(placed.Top, 226);
    EXPECT_EQ(placed.Width(), 600);
    EXPECT_EQ(placed.Height(), 400);
    // A monitor above the primary one, and a window larger than the monitor: the
    // divisions truncate toward zero.
    const TRect above = PlacedOnMonitor(TRect{0, 0, 1025, 770}, TRect{0, -768, 1024, 0});
    EXPECT_EQ(above.Left, 0);
    EXPECT_EQ(above.Top, -768);
}

// ---------------------------------------------------------------- the request record

TEST(RunOpenDialog, BuildsTheRequestFromThePropertiesAndReadsTheResultBack) {
    TOpenDialog dialog(nullptr);
    dialog.SetFilter(kAppFilter);
    dialog.SetFileName("/old/prev.ini");
    dialog.SetInitialDir("/start/");
    dialog.SetTitle("T");
    TFileChooserRequest seen;
    dialog.SetChooser([&](TFileChooserRequest& record) {
        seen = record;
        const std::string chosen = "/new/x.cfg";
        std::copy(chosen.begin(), chosen.end(), record.File.begin());
        record.File[chosen.size()] = '\0';
        record.FilterIndex = 3;
        record.Flags |= ChooserExtensionDifferent | ChooserReadOnly;
        return true;
    });
    ASSERT_TRUE(dialog.RunOpenDialog());
    EXPECT_EQ(seen.Flags, 0x880024u);
    EXPECT_EQ(seen.FlagsEx, 0u);
    EXPECT_EQ(seen.Filter, BuildFilterBuffer(kAppFilter));
    EXPECT_EQ(seen.FilterIndex, 1);
    EXPECT_EQ(seen.MaxFile, 260);
    ASSERT_EQ(seen.File.size(), 262u);
    EXPECT_EQ(std::string(seen.File.data()), "/old/prev.ini");
    EXPECT_EQ(seen.InitialDir, "/start");
    EXPECT_EQ(seen.Title, "T");
    EXPECT_EQ(seen.DefaultExt, "");
    EXPECT_NE(seen.Observer, nullptr);

    EXPECT_EQ(dialog.FileName(), "/new/x.cfg");
    EXPECT_EQ(Lines(dialog.ChosenFiles()), std::vector<std::string>{"/new/x.cfg"});
    EXPECT_EQ(dialog.FilterIndex(), 3);
    EXPECT_TRUE(dialog.Options().Has(ofExtensionDifferent));
    EXPECT_TRUE(dialog.Options().Has(ofReadOnly));

    // A failed run changes nothing but the list of chosen files.
    dialog.SetChooser([](TFileChooserRequest& record) {
        record.FilterIndex = 1;
        record.Flags &= ~(ChooserExtensionDifferent | ChooserReadOnly);
        return false;
    });
    EXPECT_FALSE(dialog.RunOpenDialog());
    EXPECT_EQ(dialog.FileName(), "/new/x.cfg");
    EXPECT_EQ(dialog.FilterIndex(), 3);
    EXPECT_TRUE(dialog.Options().Has(ofExtensionDifferent));
    EXPECT_EQ(dialog.ChosenFiles().LineCount(), 0);
}

TEST(RunOpenDialog, OptionsShapeTheRecord) {
    TOpenDialog dialog(nullptr);
    dialog.SetFileName("/old/name.ini");
    TFileChooserRequest seen;
    dialog.SetChooser([&](TFileChooserRequest& record) {
        seen = record;
        return false;
    });

    dialog.SetOptions({ofAllowMultiSelect, ofOldStyleDialog, ofFileMustExist});
    dialog.SetOptionsEx({ofExNoPlacesBar});
    dialog.RunOpenDialog();
    EXPECT_EQ(seen.MaxFile, 65519);
    EXPECT_EQ(seen.File.size(), 65521u);
    EXPECT_EQ(seen.Flags, ChooserEnableHook | ChooserAllowMultiSelect | ChooserFileMustExist);
    EXPECT_EQ(seen.FlagsEx, ChooserExNoPlacesBar);
    EXPECT_EQ(seen.DefaultExt, "ini") << "the old style takes the extension of the file name";

    dialog.SetOptions({});
    dialog.SetDefaultExt("cfg");
    dialog.RunOpenDialog();
    EXPECT_EQ(seen.Flags, ChooserEnableHook | ChooserNewStyle);
    EXPECT_EQ(seen.DefaultExt, "cfg");
}

TEST(RunTaskModal, PutsEverythingBackWhenTheChooserFails) {
    TForm window(nullptr);
    window.SetClientSize(200, 100);
    window.Show();
    ASSERT_TRUE(window.Enabled());
    TOpenDialog dialog(nullptr);
    dialog.SetHelpContext(12);
    const int focusCount = TScreen::Instance().FocusCount();
    const AppMessage help{ChooserHelpMessageId, 0};
    dialog.SetChooser([&](TFileChooserRequest&) -> bool {
        EXPECT_FALSE(window.Enabled());
        EXPECT_TRUE(Application->SendAppMessage(help)) << "the help hook is on the application's window";
        EXPECT_FALSE(Application->SendAppMessage(AppMessage{ChooserHelpMessageId + 1, 0}));
        EXPECT_EQ(DialogBeingCreated(), &dialog);
        TScreen::Instance().SetFocusCount(focusCount + 5);
        throw std::runtime_error("chooser failed");
    });
    EXPECT_THROW(dialog.RunOpenDialog(), std::runtime_error);
    EXPECT_TRUE(window.Enabled());
    EXPECT_FALSE(Application->SendAppMessage(help));
    EXPECT_EQ(DialogBeingCreated(), nullptr);
    EXPECT_EQ(TScreen::Instance().FocusCount(), focusCount);

    dialog.SetHelpContext(0);
    dialog.SetChooser([&](TFileChooserRequest&) { return Application->SendAppMessage(help); });
    EXPECT_FALSE(dialog.RunOpenDialog()) << "without a help context the request is not answered";
}

// ---------------------------------------------------------------- the real chooser

class RealChooser : public ::testing::Test {
protected:
    void SetUp() override {
        dialog.SetFilter(kAppFilter);
        dialog.SetInitialDir(folder.Path(""));
    }
    std::string Dir() const { return std::filesystem::path(folder.Path("")).parent_path().string(); }

    TempFolder folder;
    TOpenDialog dialog{nullptr};
};

TEST_F(RealChooser, TypedNameIsChosenWhileOtherWindowsAreDisabled) {
    folder.File("a.ini", "[s]\n");
    TForm window(nullptr);
    window.SetClientSize(300, 200);
    window.Show();
    int shown = 0, closed = 0;
    dialog.OnShow = [&](TComponent*) { ++shown; };
    dialog.OnClose = [&](TComponent*) { ++closed; };
    const bool chosen = RunWith(dialog, [&](QDialog& chooser) {
        EXPECT_EQ(shown, 1);
        EXPECT_FALSE(window.Enabled());
        EXPECT_FALSE(chooser.isModal()) << "our own windows are blocked by disabling them";
        EXPECT_EQ(NameFilters(chooser), QStringList{ToDisplay(Ansi("Ini文件,inf文件")) + " (*.ini *.inf)"});
        EXPECT_TRUE(chooser.isSizeGripEnabled());
        // Placed on the monitor of the active window, a third of the free height above.
        const QRect frame = chooser.frameGeometry();
        const TRect expected = PlacedOnMonitor(TRect{0, 0, frame.width(), frame.height()},
                                               TScreen::Instance().MonitorRectOf(window));
        EXPECT_EQ(frame.topLeft(), QPoint(expected.Left, expected.Top));

        NameField(chooser).setText("a.ini");
        EXPECT_EQ(dialog.FileName(), Dir() + "/a.ini") << "read from the open chooser";
        QTest::keyClick(&NameField(chooser), Qt::Key_Return);
    });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(dialog.FileName(), Dir() + "/a.ini");
    EXPECT_EQ(Lines(dialog.ChosenFiles()), std::vector<std::string>{Dir() + "/a.ini"});
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(window.Enabled());
    EXPECT_EQ(dialog.Handle(), nullptr);
}

TEST_F(RealChooser, CancelKeepsTheNameAndTheNextRunOpensWithIt) {
    folder.File("a.ini", "[s]\n");
    ASSERT_TRUE(RunWith(dialog, [](QDialog& chooser) { TypeAndAccept(chooser, "a.ini"); }));
    dialog.SetInitialDir("/");
    const bool chosen = RunWith(dialog, [&](QDialog& chooser) {
        EXPECT_EQ(Folder(chooser), QString::fromStdString(Dir()))
            << "the previous name's folder wins over the initial folder";
        EXPECT_EQ(NameField(chooser).text(), "a.ini");
        chooser.reject();
    });
    EXPECT_FALSE(chosen);
    EXPECT_EQ(dialog.FileName(), Dir() + "/a.ini");
    EXPECT_EQ(dialog.ChosenFiles().LineCount(), 0);
}

TEST_F(RealChooser, NameOfAMissingFileIsReturnedAsItIs) {
    ASSERT_TRUE(RunWith(dialog, [](QDialog& chooser) { TypeAndAccept(chooser, "new.ini"); }));
    EXPECT_EQ(dialog.FileName(), Dir() + "/new.ini");
    EXPECT_FALSE(std::filesystem::exists(dialog.FileName()));
}

TEST_F(RealChooser, ChosenFilterIsKeptForTheNextRun) {
    dialog.SetFilter("Ini|*.ini|Text|*.txt|All|*");
    int typeChanges = 0;
    dialog.OnTypeChange = [&](TComponent*) { ++typeChanges; };
    ASSERT_TRUE(RunWith(dialog, [&](QDialog& chooser) {
        QComboBox* types = &Part<QComboBox>(chooser, "fileTypeCombo");
        QTest::keyClick(types, Qt::Key_Down);
        EXPECT_EQ(dialog.FilterIndex(), 2) << "read from the open chooser";
        // Picking the entry that is already shown is no change.
        emit types->activated(types->currentIndex());
        emit types->textActivated(types->currentText());
        EXPECT_EQ(typeChanges, 1);
        TypeAndAccept(chooser, "notes.txt");
    }));
    EXPECT_EQ(dialog.FilterIndex(), 2);

    EXPECT_FALSE(RunWith(dialog, [](QDialog& chooser) {
        EXPECT_EQ(SelectedNameFilter(chooser), "Text (*.txt)");
        chooser.reject();
    }));
    EXPECT_EQ(dialog.FilterIndex(), 2);
}

TEST_F(RealChooser, PatternsMatchRegardlessOfLetterCase) {
    folder.File("SETUP.INF", "");
    folder.File("a.ini", "");
    folder.File("b.txt", "");
    EXPECT_FALSE(RunWith(dialog, [](QDialog& chooser) {
        EXPECT_EQ(ListedNames(chooser, 2), (QStringList{"SETUP.INF", "a.ini"}));
        chooser.reject();
    }));
}

TEST_F(RealChooser, IncludeItemNotificationHidesEntries) {
    folder.File("a.ini", "");
    folder.File("skip.ini", "");
    dialog.SetOptions({ofHideReadOnly, ofEnableSizing, ofEnableIncludeNotify});
    dialog.OnIncludeItem = [](TComponent*, const TChooserItem& item, bool& include) {
        include = item.Path.find("skip") == std::string::npos;
    };
    EXPECT_FALSE(RunWith(dialog, [](QDialog& chooser) {
        EXPECT_EQ(ListedNames(chooser, 1), QStringList{"a.ini"});
        chooser.reject();
    }));
}

TEST_F(RealChooser, EmptyFilterOffersNoFilterEntries) {
    dialog.SetFilter("");
    EXPECT_FALSE(RunWith(dialog, [](QDialog& chooser) {
        EXPECT_TRUE(NameFilters(chooser).isEmpty()) << NameFilters(chooser).join(";").toStdString();
        auto* types = chooser.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        EXPECT_TRUE(!types || !types->isVisible());
        chooser.reject();
    }));
}

// What the chooser and an edit field's context menu say, with the toolkit's translation for
// a Chinese locale and without one.
TEST_F(RealChooser, ToolkitTextsFollowTheMessagesLocaleAndLabelsKeepTheirAccessKeys) {
    auto shown = [&] {
        QStringList texts;
        RunWith(dialog, [&](QDialog& chooser) {
            for (const QLabel* label : chooser.findChildren<QLabel*>()) texts << label->text();
            for (const QPushButton* button : chooser.findChildren<QPushButton*>()) texts << button->text();
            texts << chooser.windowTitle();
            // What a screen reader calls the list of entries.
            texts << QAccessible::queryAccessibleInterface(&Part<QListView>(chooser, "listView"))->text(QAccessible::Name);
            chooser.reject();
        });
        QLineEdit field;
        const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        for (const QAction* action : menu->actions()) texts << action->text().section(u'\t', 0, 0);
        return texts;
    };
    EXPECT_EQ(InstallToolkitTranslation("C.UTF-8"), nullptr);
    EXPECT_EQ(InstallToolkitTranslation("en_GB.UTF-8"), nullptr);
    const QStringList english = shown();
    for (const char* text : {"Look &in:", "File &name:", "Files of &type:", "Open", "Files", "&Undo", "&Paste"})
        EXPECT_TRUE(english.contains(QLatin1String(text))) << text << " in " << english.join(" | ").toStdString();

    std::unique_ptr<QTranslator> chinese(InstallToolkitTranslation("zh_CN.GBK"));
    if (!chinese) GTEST_SKIP() << "the toolkit's Chinese translation is not installed (qt6-translations-l10n)";
    const QStringList translated = shown();
    chinese.reset();
    for (const char* text : {"查找范围(&I)：", "文件名称(&N)：", "文件类型(&T)：", "打开", "取消", "文件", "撤消(&U)", "粘贴(&P)"})
        EXPECT_TRUE(translated.contains(QString::fromUtf8(text))) << text << " in " << translated.join(" | ").toStdString();
    EXPECT_EQ(shown(), english) << "deleting the translation takes it back";
}

TEST_F(RealChooser, DoubleByteCodePage) {
    ScopedLocale chinese("zh_CN.GBK", TCodePage::Gbk);
    dialog.SetFilter("\xC5\x7C" "x|*.ini");  // a character whose second byte is the bar
    dialog.SetFileName("kept.ini");
    // A path that the code page cannot hold can't be returned.
    EXPECT_FALSE(RunWith(dialog, [](QDialog& chooser) {
        EXPECT_EQ(NameFilters(chooser), QStringList{ToDisplay("\xC5\x7C" "x") + " (*.ini)"});
        TypeAndAccept(chooser, QStringLiteral("\U0001F600.ini"));
    }));
    EXPECT_EQ(dialog.FileName(), "kept.ini");
    EXPECT_TRUE(RunWith(dialog, [](QDialog& chooser) { TypeAndAccept(chooser, QStringLiteral("\u4E2D.ini")); }));
    EXPECT_EQ(dialog.FileName(), Dir() + "/\xD6\xD0.ini") << "returned in the code page";
}

// Entries are listed and opened by the bytes of their names, shown in the locale's code page:
// under a GBK locale a GBK name reads as Chinese, and a name of other bytes still opens.
TEST_F(RealChooser, NamesAreListedInTheLocalesCodePageAndOpenByTheirBytes) {
    const std::string gbkName = "\xD6\xD0\xCE\xC4.ini", utf8Name = "u\xE4\xB8\xAD.ini";  // 中文.ini, u中.ini
    folder.File(gbkName, "");
    folder.File(utf8Name, "");
    auto pick = [](QDialog& chooser, const QString& shown) {
        QListView* view = &Part<QListView>(chooser, "listView");
        const QModelIndexList found = view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, shown, 1,
                                                           Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << shown.toStdString() << " in " << ListedNames(chooser, 2).join("|").toStdString();
        view->setFocus();
        view->setCurrentIndex(found.front());
        QTest::keyClick(view, Qt::Key_Return);
    };
    {
        ScopedLocale chinese("zh_CN.GBK", TCodePage::Gbk);
        EXPECT_TRUE(RunWith(dialog, [&](QDialog& chooser) {
            EXPECT_EQ(ListedNames(chooser, 2).size(), 2);
            pick(chooser, QString::fromUtf8("中文.ini"));
        }));
        EXPECT_EQ(dialog.FileName(), Dir() + "/" + gbkName);
        EXPECT_TRUE(RunWith(dialog, [&](QDialog& chooser) {
            pick(chooser, ToDisplay(utf8Name));
        }));
        EXPECT_EQ(dialog.FileName(), Dir() + "/" + utf8Name) << "its own bytes, though GBK cannot show them";
        EXPECT_TRUE(RunWith(dialog, [&](QDialog& chooser) { TypeAndAccept(chooser, QString::fromUtf8("中文.ini")); }));
        EXPECT_EQ(dialog.FileName(), Dir() + "/" + gbkName) << "a typed name in the locale's code page";
    }
    ScopedLocale utf8("C.UTF-8", TCodePage::Utf8);
    EXPECT_TRUE(RunWith(dialog, [&](QDialog& chooser) { pick(chooser, ToDisplay(gbkName)); }));
    EXPECT_EQ(dialog.FileName(), Dir() + "/" + gbkName);
}

TEST_F(RealChooser, CanCloseRefusalKeepsTheChooserOpenAndHandlerErrorsAreReported) {
    folder.File("a.ini", "");
    std::filesystem::create_directory(folder.Path("sub"));
    std::vector<std::string> reported;
    ScopedSeam boxes(SetMessageBoxInterceptor,
                     [&](const std::string& text, const std::string&, MessageBoxIcon) { reported.push_back(text); });
    int asked = 0, folderChanges = 0;
    dialog.OnCanClose = [&](TComponent* sender, bool& canClose) {
        EXPECT_EQ(sender, &dialog);
        const std::string expected = asked == 0 ? Dir() + "/first.ini" : Dir() + "/sub/second.ini";
        EXPECT_EQ(Lines(dialog.ChosenFiles()), std::vector<std::string>{expected});
        if (++asked == 1) canClose = false;
    };
    dialog.OnSelectionChange = [](TComponent*) { throw Exception("selection handler failed"); };
    dialog.OnFolderChange = [&](TComponent*) { ++folderChanges; };
    const bool chosen = RunWith(dialog, [&](QDialog& chooser) {
        TypeAndAccept(chooser, "first.ini");
        EXPECT_TRUE(chooser.isVisible()) << "refused";
        EXPECT_EQ(dialog.ChosenFiles().LineCount(), 0);

        // The selection handler fails; the error is shown and the chooser goes on.
        QListView* view = &Part<QListView>(chooser, "listView");
        ListedNames(chooser, 2);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Down);
        EXPECT_FALSE(reported.empty());

        TypeAndAccept(chooser, "sub");
        EXPECT_EQ(folderChanges, 1) << "a typed folder is entered";
        TypeAndAccept(chooser, "second.ini");
    });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(dialog.FileName(), Dir() + "/sub/second.ini");
    ASSERT_FALSE(reported.empty());
    EXPECT_NE(reported.front().find("selection handler failed"), std::string::npos);
}

TEST_F(RealChooser, PathLongerThanTheBufferFailsLikeACancel) {
    // The buffer holds 260 bytes with the ending zero byte.
    const std::string fits = Dir() + "/" + std::string(259 - Dir().size() - 1, 'n');
    ASSERT_EQ(fits.size(), 259u);
    EXPECT_TRUE(RunWith(dialog, [&](QDialog& chooser) { TypeAndAccept(chooser, QString::fromStdString(fits)); }));
    EXPECT_EQ(dialog.FileName(), fits);

    const std::string tooLong = fits + "x";
    std::ofstream(tooLong) << "";
    EXPECT_FALSE(RunWith(dialog, [&](QDialog& chooser) { TypeAndAccept(chooser, QString::fromStdString(tooLong)); }));
    EXPECT_EQ(dialog.FileName(), fits);

    dialog.SetOptions({ofAllowMultiSelect});
    EXPECT_TRUE(RunWith(dialog, [&](QDialog& chooser) { TypeAndAccept(chooser, QString::fromStdString(tooLong)); }))
        << "a multiple choice has the larger buffer";
    EXPECT_EQ(dialog.FileName(), tooLong);
}

}  // namespace
