#pragma once
// The standard buttons of a message dialog, in their fixed order, the sets of them that a
// caller asks for, and the process-wide cache of their caption widths.
#include <array>
#include <cstdint>
#include <string>

#include "ui/form.h"

// A set of buttons: bit i stands for the button at index i of the table; bits 11 to 15 are
// never looked at.
using TMessageButtons = uint16_t;
constexpr TMessageButtons ButtonYes = 1 << 0, ButtonNo = 1 << 1, ButtonOK = 1 << 2, ButtonCancel = 1 << 3,
                          ButtonAbort = 1 << 4, ButtonRetry = 1 << 5, ButtonIgnore = 1 << 6, ButtonAll = 1 << 7,
                          ButtonNoToAll = 1 << 8, ButtonYesToAll = 1 << 9, ButtonHelp = 1 << 10;
constexpr int MessageButtonCount = 11;

struct TMessageButtonInfo {
    const char* Name;     // the component name
    const char* Caption;  // "&" marks the access key
    TModalResult Result;
    char16_t AccessKey;   // for a caption that marks none; 0: none
};

const TMessageButtonInfo& MessageButtonInfo(int index);
constexpr bool HasMessageButton(TMessageButtons set, int index) { return (set >> index) & 1; }
int MessageButtonsIn(TMessageButtons set);

// The button that Enter presses and the one that Esc presses, as table indexes; -1 when the
// choice is not in the set.
int DefaultMessageButton(TMessageButtons set);
int CancelMessageButton(TMessageButtons set);

// Caption width in pixels plus 8 per button, 0 until a dialog with the button measured it;
// never measured again, whatever font a later dialog has.
using TButtonWidthCache = std::array<int32_t, MessageButtonCount>;
TButtonWidthCache& ButtonCaptionWidths();
