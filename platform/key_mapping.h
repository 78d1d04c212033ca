#pragma once
// Translation of the toolkit's key and mouse events into our key records.
#include <optional>

#include "platform/keys.h"

class QKeyEvent;
class QMouseEvent;

// The record for a key press, or nullopt for keys that have no virtual-key code.
std::optional<KeyRecord> KeyRecordOf(const QKeyEvent& event);
TShiftState ShiftStateOf(const QMouseEvent& event);
std::optional<TMouseButton> MouseButtonOf(const QMouseEvent& event);
