#pragma once
// Virtual-key codes and modifier sets: the key record that key pre-routing and the
// controls' key handlers see, independent of the toolkit's own key codes.
#include <cstdint>

namespace vk {
constexpr uint16_t Cancel = 3, Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17,
                   Menu = 18, Escape = 27, Space = 32, Prior = 33, Next = 34, End = 35,
                   Home = 36, Left = 37, Up = 38, Right = 39, Down = 40, Execute = 43,
                   Insert = 45, Delete = 46, Apps = 93, F1 = 112, F2 = 113, F3 = 114, F4 = 115, F5 = 116,
                   F7 = 118, F10 = 121;
// Letters and digits use their upper-case ASCII codes ('A' = 65, '0' = 48).
}  // namespace vk

// Modifier keys and mouse buttons held during an event.
enum class ShiftFlag : uint8_t { Shift = 1, Alt = 2, Ctrl = 4, Left = 8, Right = 16, Middle = 32 };

class TShiftState {
public:
    constexpr TShiftState() = default;
    constexpr TShiftState(ShiftFlag f) : bits_(static_cast<uint8_t>(f)) {}
    constexpr bool Has(ShiftFlag f) const { return bits_ & static_cast<uint8_t>(f); }
    constexpr TShiftState operator|(TShiftState o) const { return FromBits(bits_ | o.bits_); }
    constexpr bool operator==(const TShiftState&) const = default;
    // Only Shift, Alt and Ctrl: the keyboard part of the set.
    constexpr TShiftState Keys() const { return FromBits(bits_ & 7); }
    constexpr bool Empty() const { return bits_ == 0; }

private:
    static constexpr TShiftState FromBits(int b) {
        TShiftState s;
        s.bits_ = static_cast<uint8_t>(b);
        return s;
    }
    uint8_t bits_ = 0;
};
constexpr TShiftState operator|(ShiftFlag a, ShiftFlag b) { return TShiftState(a) | b; }

enum class TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

struct KeyRecord {
    uint16_t key = 0;
    TShiftState shift;
    bool autoRepeat = false;
};
