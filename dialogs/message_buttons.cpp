#include "dialogs/message_buttons.h"

namespace {

constexpr int IndexYes = 0, IndexNo = 1, IndexOK = 2, IndexCancel = 3, IndexRetry = 5;

int IndexIfPresent(TMessageButtons set, int index) { return HasMessageButton(set, index) ? index : -1; }

}  // namespace

const TMessageButtonInfo& MessageButtonInfo(int index) {
    static const TMessageButtonInfo table[MessageButtonCount] = {
        {"Yes", "&Yes", ResultYes, 0},
        {"No", "&No", ResultNo, 0},
        {"OK", "OK", ResultOk, u'O'},
        {"Cancel", "Cancel", ResultCancel, u'C'},
        {"Abort", "&Abort", ResultAbort, 0},
        {"Retry", "&Retry", ResultRetry, 0},
        {"Ignore", "&Ignore", ResultIgnore, 0},
        {"All", "&All", ResultAll, 0},
        {"NoToAll", "N&o to All", ResultNoToAll, 0},
        {"YesToAll", "Yes to &All", ResultYesToAll, 0},
        {"Help", "&Help", ResultNone, 0},
    };
    return table[index];
}

int MessageButtonsIn(TMessageButtons set) {
    int count = 0;
    for (int i = 0; i < MessageButtonCount; ++i) count += HasMessageButton(set, i);
    return count;
}

int DefaultMessageButton(TMessageButtons set) {
    if (HasMessageButton(set, IndexOK)) return IndexOK;
    if (HasMessageButton(set, IndexYes)) return IndexYes;
    return IndexIfPresent(set, IndexRetry);
}

int CancelMessageButton(TMessageButtons set) {
    if (HasMessageButton(set, IndexCancel)) return IndexCancel;
    if (HasMessageButton(set, IndexNo)) return IndexNo;
    return IndexIfPresent(set, IndexOK);
}

TButtonWidthCache& ButtonCaptionWidths() {
    static TButtonWidthCache widths{};
    return widths;
}
