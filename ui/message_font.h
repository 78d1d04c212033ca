#pragma once
// The font that the desktop gives its message boxes.
#include <optional>

#include "ui/graphics.h"

// Nullopt when the desktop reports none (or one whose face the code page cannot name).
std::optional<TFont> DesktopMessageFont();
