#pragma once
// Disabling every other window while one takes all input, and re-enabling them.
#include <vector>

class TCustomForm;

// The windows that were disabled, most recently disabled first.
using TDisabledWindows = std::vector<TCustomForm*>;

// Disables every visible, enabled window except `except` and lists them.
TDisabledWindows DisableOtherWindows(TCustomForm* except);
// Re-enables every listed window that still exists.
void ReenableWindows(const TDisabledWindows& windows);
