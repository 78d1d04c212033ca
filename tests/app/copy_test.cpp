// Ctrl+C on the views: a row as its key line, a section node as its name, each converted from
// the file's code page for the desktop.
#include "main_window_fixture.h"

#include <QClipboard>

#include "encoding/code_page.h"

namespace apptest {
namespace {

class CopyTest : public MainWindowTest {
protected:
    std::string CopiedFrom(QWidget* view) {
        QApplication::clipboard()->setText("before");
        view->setFocus();
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        return QApplication::clipboard()->text().toStdString();
    }
};

TEST_F(CopyTest, ARowCopiesAsItsKeyLineAndANodeAsItsNameInTheDesktopsEncoding) {
    ScopedLocale desktop("zh_CN.UTF-8", TCodePage::Utf8);
    // 表 is B1 ED and 能 is C4 DC in GBK; 乐 (C0 D6) reads as other characters in Big5.
    Load(*Utf8ToCodePage("[设置]\r\n名称 = 表能 ; 乐\r\n[其他]\r\nk=v\r\n", TCodePage::Gbk));
    main->tree1->SetSelected(Section(0));
    main->tree1Click(nullptr);
    main->ListView1->SetSelected(Row(0));
    EXPECT_EQ(CopiedFrom(list), "名称=表能 ; 乐");
    EXPECT_EQ(CopiedFrom(tree), "设置");

    main->ListView1->SetSelected(nullptr);
    EXPECT_EQ(CopiedFrom(list), "before") << "no row, nothing copied";
}

TEST_F(CopyTest, AQuotedValueIsCopiedWithItsQuotes) {
    Load("[php]\ndisable_functions = \"exec;system\"\nbare = \"half\nempty = \"\"\n");
    main->tree1->SetSelected(Section(0));
    main->tree1Click(nullptr);
    main->ListView1->SetSelected(Row(0));
    EXPECT_EQ(CopiedFrom(list), "disable_functions=\"exec;system\"");
    main->ListView1->SetSelected(Row(1));
    EXPECT_EQ(CopiedFrom(list), "bare=\"half");
    main->ListView1->SetSelected(Row(2));
    EXPECT_EQ(CopiedFrom(list), "empty=\"\"");
}

}  // namespace
}  // namespace apptest
