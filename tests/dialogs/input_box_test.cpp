#include <gtest/gtest.h>

#include <QWidget>

#include "dialogs/dialog_units.h"
#include "dialogs/input_box.h"
#include "encoding/code_page_conversion.h"
#include "support/code_page_guard.h"
#include "support/modal_driver.h"
#include "ui/button.h"
#include "ui/edit.h"
#include "ui/label.h"
#include "ui/text_metrics.h"
#include "ui/widget_access.h"

namespace {

// The controls in creation order: prompt, edit, OK, Cancel.
template <typename T>
T* Nth(TCustomForm& form, int index) {
    return dynamic_cast<T*>(form.ComponentAt(index));
}

std::string AskAndDo(const std::string& start, std::function<void(TCustomForm&)> act,
                     const std::string& prompt = "请输入关键字值") {
    WhenNextModalShown(std::move(act));
    return AskText("新值", prompt, start);
}

auto TypeThen(QString text, std::function<void(TCustomForm&)> end) {
    return [text, end](TCustomForm& form) {
        TypeText(form, text);
        end(form);
    };
}
void Enter(TCustomForm& form) { PressKey(form, Qt::Key_Return); }

struct Placement {
    int labelWidth, labelHeight, editTop, clientHeight;
};

Placement PlacementFor(const std::string& prompt) {
    Placement p{};
    AskAndDo("", [&](TCustomForm& form) {
        auto* label = Nth<TLabel>(form, 0);
        auto* edit = Nth<TEdit>(form, 1);
        auto *ok = Nth<TButton>(form, 2), *cancel = Nth<TButton>(form, 3);
        p = {label->Width(), label->Height(), edit->Top(), form.ClientHeight()};
        EXPECT_EQ(edit->Top(), label->Top() + label->Height() + 5);
        EXPECT_EQ(ok->Top(), edit->Top() + edit->Height() + 15);
        EXPECT_EQ(form.ClientHeight(), cancel->Top() + cancel->Height() + 13);
        EXPECT_EQ(ok->Left(), form.ClientWidth() - cancel->Left() - cancel->Width()) << "centred";
        form.RequestClose();
    }, prompt);
    return p;
}

}  // namespace

TEST(InputBox, EveryWayOfCancellingGivesTheDefaultBack) {
    const std::string start = "  old value ";
    EXPECT_EQ(AskAndDo(start, TypeThen("x", [](TCustomForm& f) { PressKey(f, Qt::Key_Escape); })), start);
    EXPECT_EQ(AskAndDo(start, TypeThen("x", [](TCustomForm& f) { WidgetOf(f)->close(); })), start);
    EXPECT_EQ(AskAndDo(start, TypeThen("x", [](TCustomForm& f) { Nth<TButton>(f, 3)->Press(); })), start);
    std::string value = "kept";
    WhenNextModalShown(TypeThen("x", [](TCustomForm& f) { PressKey(f, Qt::Key_Escape); }));
    EXPECT_FALSE(AskTextQuery("t", "p", value));
    EXPECT_EQ(value, "kept");
}

TEST(InputBox, AcceptingGivesTheEditedTextAndTheStartIsSelected) {
    std::string longStart(300, 'x');
    EXPECT_EQ(AskAndDo(longStart, Enter), longStart);
    EXPECT_EQ(AskAndDo("abc", TypeThen("new", Enter)), "new");
    EXPECT_EQ(AskAndDo("abc", [](TCustomForm& f) {
                  PressKey(f, Qt::Key_Delete);
                  Nth<TButton>(f, 2)->Press();
              }),
              "");
}

TEST(InputBox, TypingStopsAtTheByteLimitOfTheCodePage) {
    EXPECT_EQ(AskAndDo("", TypeThen(QString(300, u'a'), Enter)), std::string(255, 'a'));
    std::string typed, expected;
    {
        ScopedCodePage gbk(TCodePage::Gbk);
        typed = AskAndDo("", TypeThen(QString(128, u'中') + "ab", Enter));
        for (int i = 0; i < 127; ++i) expected += Ansi("中");
    }
    EXPECT_EQ(typed, expected + "a");
}

TEST(InputBox, ALongPromptWrapsAndPushesTheRestDown) {
    std::string words;
    for (int i = 0; i < 40; ++i) words += "word ";
    Placement shortOne = PlacementFor("请输入关键字值"), longOne = PlacementFor(words);
    EXPECT_LE(longOne.labelWidth, HorzDialogUnits(164, AverageCharSize(TFontTextMetrics(TFont{}))));
    EXPECT_GE(longOne.labelHeight, 3 * shortOne.labelHeight);
    EXPECT_EQ(longOne.editTop - shortOne.editTop, longOne.labelHeight - shortOne.labelHeight);
    EXPECT_EQ(longOne.clientHeight - shortOne.clientHeight, longOne.labelHeight - shortOne.labelHeight);
}

TEST(InputBox, AnAmpersandInThePromptMarksAnAccessKey) {
    TFontTextMetrics metrics{TFont{}};
    EXPECT_EQ(PlacementFor("&Name").labelWidth, PlacementFor("Name").labelWidth);
    EXPECT_EQ(PlacementFor("R&&D").labelWidth, metrics.TextRect("R&D", TRect{}, tfSingleLine | tfNoPrefix).Width());
}
