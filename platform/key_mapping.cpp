#include "platform/key_mapping.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace {

TShiftState ShiftOfModifiers(Qt::KeyboardModifiers m) {
    TShiftState s;
    if (m & Qt::ShiftModifier) s = s | ShiftFlag::Shift;
    if (m & Qt::AltModifier) s = s | ShiftFlag::Alt;
    if (m & Qt::ControlModifier) s = s | ShiftFlag::Ctrl;
    return s;
}

std::optional<uint16_t> VirtualKeyOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint16_t>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint16_t>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<uint16_t>(vk::F1 + (key - Qt::Key_F1));
    switch (key) {
        case Qt::Key_Backspace: return vk::Back;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return vk::Tab;
        case Qt::Key_Return:
        case Qt::Key_Enter: return vk::Return;
        case Qt::Key_Shift: return vk::Shift;
        case Qt::Key_Control: return vk::Control;
        case Qt::Key_Alt: return vk::Menu;
        case Qt::Key_Escape: return vk::Escape;
        case Qt::Key_Space: return vk::Space;
        case Qt::Key_PageUp: return vk::Prior;
        case Qt::Key_PageDown: return vk::Next;
        case Qt::Key_End: return vk::End;
        case Qt::Key_Home: return vk::Home;
        case Qt::Key_Left: return vk::Left;
        case Qt::Key_Up: return vk::Up;
        case Qt::Key_Right: return vk::Right;
        case Qt::Key_Down: return vk::Down;
        case Qt::Key_Execute: return vk::Execute;
        case Qt::Key_Cancel: return vk::Cancel;
        case Qt::Key_Insert: return vk::Insert;
        case Qt::Key_Delete: return vk::Delete;
        case Qt::Key_Menu: return vk::Apps;
        default: return std::nullopt;
    }
}

}  // namespace

std::optional<KeyRecord> KeyRecordOf(const QKeyEvent& event) {
    auto key = VirtualKeyOf(event.key());
    if (!key) return std::nullopt;
    TShiftState shift = ShiftOfModifiers(event.modifiers());
    if (event.key() == Qt::Key_Backtab) shift = shift | ShiftFlag::Shift;
    return KeyRecord{*key, shift, event.isAutoRepeat()};
}

TShiftState ShiftStateOf(const QMouseEvent& event) {
    TShiftState s = ShiftOfModifiers(event.modifiers());
    Qt::MouseButtons b = event.buttons() | event.button();
    if (b & Qt::LeftButton) s = s | ShiftFlag::Left;
    if (b & Qt::RightButton) s = s | ShiftFlag::Right;
    if (b & Qt::MiddleButton) s = s | ShiftFlag::Middle;
    return s;
}

std::optional<TMouseButton> MouseButtonOf(const QMouseEvent& event) {
    switch (event.button()) {
        case Qt::LeftButton: return TMouseButton::mbLeft;
        case Qt::RightButton: return TMouseButton::mbRight;
        case Qt::MiddleButton: return TMouseButton::mbMiddle;
        default: return std::nullopt;
    }
}

