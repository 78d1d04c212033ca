#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>

#include "encoding/code_page_conversion.h"
#include "ui/access_key.h"
#include "ui/button.h"
#include "ui/form.h"
#include "ui/widget_access.h"

namespace {

QString Shown(const char* utf8Caption, char16_t key) { return CaptionWithAccessKey(QString::fromUtf8(utf8Caption), key); }

TEST(AccessKeys, ALetterOfTheCaptionIsUnderlinedElseTheKeyFollowsIt) {
    EXPECT_EQ(Shown("OK", u'o'), "&OK");
    EXPECT_EQ(Shown("Cancel", u'C'), "&Cancel");
    EXPECT_EQ(Shown("Yes to all", u'A'), "Yes to &all") << "the first of that letter, either case";
    EXPECT_EQ(Shown("删除关键字", u'D'), QString::fromUtf8("删除关键字(&D)"));
    EXPECT_EQ(Shown("R&&D", u'D'), "R&&&D") << "\"&&\" is an ampersand, not a mark";
    EXPECT_EQ(Shown("Fish && Chips", u'X'), "Fish && Chips(&X)");
    EXPECT_EQ(Shown("&Yes", u'N'), "&Yes") << "a caption's own mark wins";
    EXPECT_EQ(Shown("关于", 0), QString::fromUtf8("关于"));
}

TEST(AccessKeys, AButtonAnswersItsKeyAndReadsAsItsCaption) {
    TForm form(nullptr);
    form.SetClientSize(200, 100);
    auto* button = new TButton(&form);
    button->SetParent(&form);
    button->SetCaption(Ansi("添加"));
    button->SetAccessKey(u'a');
    int pressed = 0;
    button->OnClick = [&](TComponent*) { ++pressed; };
    form.Show();
    auto* widget = static_cast<QPushButton*>(WidgetOf(*button));
    EXPECT_EQ(widget->text(), QString::fromUtf8("添加(&A)"));
    EXPECT_EQ(widget->accessibleName(), QString::fromUtf8("添加")) << "assistive technologies read the caption";
    EXPECT_EQ(button->Caption(), Ansi("添加"));
    EXPECT_FALSE(form.OfferAccessKey(u'B'));
    EXPECT_TRUE(form.OfferAccessKey(u'A'));
    EXPECT_EQ(pressed, 1);
}

}  // namespace
