#include <gtest/gtest.h>

#include <map>

#include "dialogs/dialog_units.h"
#include "dialogs/message_layout.h"
#include "ui/text_metrics.h"

namespace {

// A font whose letters average 7 pixels (with a remainder to drop) and whose lines are 13
// high; captions and the message measure as configured.
class FixedMetrics : public TTextMetrics {
public:
    std::map<std::string, int> captionWidths;
    TTextExtent message{200, 30};
    mutable std::map<std::string, int> measured;
    mutable TRect messageStart;
    mutable unsigned messageFormat = 0;

    TTextExtent TextExtent(const std::string&) const override { return {52 * 7 + 51, 13}; }
    TRect TextRect(const std::string& text, const TRect& start, unsigned format) const override {
        ++measured[text];
        if (format & tfSingleLine) return {0, 0, captionWidths.count(text) ? captionWidths.at(text) : 20, 13};
        messageStart = start;
        messageFormat = format;
        return {0, 0, message.Width, message.Height};
    }
};

const TRect kScreen{0, 0, 1023, 768};

}  // namespace

TEST(DialogUnits, ScaleRoundsHalvesAwayFromZeroOnTheFullProduct) {
    EXPECT_EQ(ScaleRounded(5, 7, 2), 18);
    EXPECT_EQ(ScaleRounded(-5, 7, 2), -18);
    EXPECT_EQ(ScaleRounded(13, 10, 8), 16);
    EXPECT_EQ(ScaleRounded(100000, 100000, 1000), 10000000);
}

TEST(MessageLayout, WarningWithYesAndNoByHand) {
    FixedMetrics metrics;
    TButtonWidthCache widths{};
    TMessageLayout l = LayOutMessageForm(metrics, "text", MsgWarning, ButtonYes | ButtonNo, kScreen, widths);
    // cx 7, cy 13: margins 14 and 13, spacings 18 (17.5) and 16, buttons 88 (87.5) x 23, 7 apart.
    EXPECT_EQ(l.ButtonWidth, 88);
    EXPECT_EQ(l.ButtonHeight, 23);
    EXPECT_EQ(metrics.messageStart.Right, 511);
    EXPECT_EQ(metrics.messageFormat, unsigned(tfWordBreak | tfExpandTabs));
    EXPECT_EQ(l.IconTextWidth, 200 + 18 + 32);
    EXPECT_EQ(l.IconTextHeight, 32);
    EXPECT_EQ(l.ButtonGroupWidth, 2 * 88 + 7);
    EXPECT_EQ(l.ClientWidth, 250 + 2 * 14);
    EXPECT_EQ(l.ClientHeight, 32 + 23 + 16 + 2 * 13);
    EXPECT_EQ(l.MessageLeft, 14 + 18 + 32);
    EXPECT_EQ(l.ButtonTop, 32 + 13 + 16);
    EXPECT_EQ(l.FirstButtonLeft, (278 - 183) / 2);
    EXPECT_EQ(widths[0], 20 + 8);
    EXPECT_EQ(widths[2], 0) << "only the buttons of the set are measured";
}

TEST(MessageLayout, ALongCaptionWidensEveryButtonAndWidthsAreMeasuredOnce) {
    FixedMetrics first;
    first.captionWidths = {{"N&o to All", 95}};
    TButtonWidthCache widths{};
    TMessageLayout l = LayOutMessageForm(first, "t", MsgInformation, ButtonOK | ButtonNoToAll, kScreen, widths);
    EXPECT_EQ(l.ButtonWidth, 103);
    EXPECT_EQ(l.ButtonGroupWidth, 2 * 103 + 7);
    // A later dialog in another font keeps the stored widths and measures only new buttons.
    FixedMetrics later;
    later.captionWidths = {{"N&o to All", 10}, {"OK", 200}, {"Cancel", 30}};
    l = LayOutMessageForm(later, "t", MsgInformation, ButtonOK | ButtonNoToAll | ButtonCancel, kScreen, widths);
    EXPECT_EQ(l.ButtonWidth, 103);
    EXPECT_EQ(later.measured.count("OK"), 0u);
    EXPECT_EQ(later.measured.count("N&o to All"), 0u);
    EXPECT_EQ(widths[3], 38);
}

TEST(MessageButtons, OkAndCancelWinOverYesAndNo) {
    EXPECT_EQ(DefaultMessageButton(ButtonYes | ButtonNo | ButtonOK), 2);
    EXPECT_EQ(CancelMessageButton(ButtonYes | ButtonNo | ButtonCancel), 3);
    EXPECT_EQ(DefaultMessageButton(ButtonIgnore), -1);
}
