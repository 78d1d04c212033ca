#include "dialogs/message_buttons.h"

namespace {

constexpr int IndexYes = 0, IndexNo = 1, IndexOK = 2, IndexCancel = 3, IndexRetry = 5;

int IndexIfPresent(TMessageButtons set, int index) { return HasMessageButton(set, index) ? index : -1; }

}  // namespace

const TMessageButtonInfo& MessageButtonInfo(int index) {
    static const TMessageButtonInfo table[MessageButtonCount] = {
        {"Yes", "&Yes", ResultYes},
        {"No", "&No", ResultNo},
        {"OK", "OK", ResultOk},
        {"Cancel", "Cancel", ResultCancel},
        {"Abort", "&Abort", ResultAbort},
        {"Retry", "&Retry", ResultRetry},
        {"Ignore", "&Ignore", ResultIgnore},
        {"All", "&All", ResultAll},
        {"NoToAll", "N&o to All", ResultNoToAll},
        {"YesToAll", "Yes to &All", ResultYesToAll},
        {"Help", "&Help", ResultNone},
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
