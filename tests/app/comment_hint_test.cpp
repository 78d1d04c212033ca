// Comments as help: the comment lines right above a section header or a key line are that
// node's or row's tooltip, converted from the file's code page; a blank line ends them.
#include "main_window_fixture.h"

#include "encoding/code_page.h"

namespace apptest {
namespace {

using CommentHintTest = MainWindowTest;

QString Tip(const QModelIndex& index) { return index.data(Qt::ToolTipRole).toString(); }

TEST_F(CommentHintTest, CommentsRightAboveShowAsTooltipsInTheFilesCodePage) {
    ScopedLocale desktop("zh_CN.UTF-8", TCodePage::Utf8);
    Load(*Utf8ToCodePage("\xEF\xBB\xBF; 游戏的设置\r\n"
                         "#   第二行\r\n"
                         "[设置]\r\n"
                         ";  玩家的名字\r\n"
                         "名称=张三\r\n"
                         "; 与下一行隔开的注释\r\n"
                         "\r\n"
                         "等级=12\r\n"
                         "; 声音\r\n"
                         "[声音]\r\n"
                         "音量=7\r\n",
                         TCodePage::Utf8),
         "utf8.ini");
    EXPECT_EQ(Tip(IndexOf(Section(0))), QString::fromUtf8("游戏的设置\n第二行"));
    EXPECT_EQ(Tip(IndexOf(Section(1))), QString::fromUtf8("声音"));
    main->tree1->SetSelected(Section(0));
    main->tree1Click(nullptr);
    ASSERT_EQ(main->ListView1->Items().Count(), 2);
    EXPECT_EQ(Tip(IndexOf(Row(0))), QString::fromUtf8("玩家的名字"));
    EXPECT_EQ(Tip(list->model()->index(0, 1)), QString::fromUtf8("玩家的名字")) << "the value's cell too";
    EXPECT_EQ(Tip(IndexOf(Row(1))), QString()) << "a blank line ends the comments above";

    Load(*Utf8ToCodePage("; 游戏\r\n[设置]\r\n; 名字\r\n名称=张三\r\n", TCodePage::Gbk), "gbk.ini");
    EXPECT_EQ(Tip(IndexOf(Section(0))), QString::fromUtf8("游戏"));
    main->tree1->SetSelected(Section(0));
    main->tree1Click(nullptr);
    EXPECT_EQ(Tip(IndexOf(Row(0))), QString::fromUtf8("名字"));
}

}  // namespace
}  // namespace apptest
