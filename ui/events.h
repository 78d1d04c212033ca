#pragma once
// Event handler types of windows and controls, and the table by which a layout binds event
// properties to a window's handlers by name.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <variant>

#include "platform/keys.h"

class TComponent;

using TNotifyEvent = std::function<void(TComponent* sender)>;
using TMouseEvent =
    std::function<void(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TComponent* sender, uint16_t& key, TShiftState shift)>;

using EventHandler = std::variant<TNotifyEvent, TMouseEvent, TKeyEvent>;
using HandlerTable = std::map<std::string, EventHandler, std::less<>>;
