#pragma once
// Screen-wide state: the windows that exist, which one is active and focused, the screen
// cursor, and the geometry of the monitors.
#include <vector>

#include "ui/graphics.h"

class TCustomForm;

struct TPoint {
    int X = 0, Y = 0;
};

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

class TScreen {
public:
    static TScreen& Instance();

    // Every window that exists, in order of creation.
    const std::vector<TCustomForm*>& Forms() const { return forms_; }
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);

    // The window that the desktop has activated, when it is one of ours.
    TCustomForm* ActiveForm() const;

    // The window that holds the focus, and the windows that held it before, most recent first.
    TCustomForm* FocusedForm = nullptr;
    std::vector<TCustomForm*> SavedFocusStates;
    int FocusCount = 0;

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    int CursorCount() const { return cursorCount_; }

    // The mouse pointer, in screen coordinates.
    TPoint CursorPos() const;
    TRect PrimaryScreenRect() const;
    // The monitor that holds the centre of a window (the primary one when none does).
    TRect MonitorRectOf(const TCustomForm& form) const;

private:
    std::vector<TCustomForm*> forms_;
    TCursor cursor_ = TCursor::crDefault;
    int cursorCount_ = 0;
};
