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
    // Whether the window still exists; false for null.
    bool Contains(const TCustomForm* form) const;

    // The window that the desktop has activated, when it is one of ours.
    TCustomForm* ActiveForm() const;

    // The window that holds the focus.
    TCustomForm* FocusedForm() const { return focusedForm_; }
    // Makes form the focused window; the one before comes back with the matching PopFocus.
    void PushFocus(TCustomForm* form);
    // The window that held the focus before the last PushFocus holds it again (none when it
    // was destroyed meanwhile).
    void PopFocus();
    // Counts the moves of the focus from control to control.
    int FocusCount() const { return focusCount_; }
    void SetFocusCount(int count) { focusCount_ = count; }

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    int CursorCount() const { return cursorCount_; }

    // The mouse pointer, in screen coordinates.
    TPoint CursorPos() const;
    TRect PrimaryScreenRect() const;
    // The monitor that holds the centre of a window (the primary one when none does).
    TRect MonitorRectOf(const TCustomForm& form) const;
    // The part of that monitor that windows may take: without panels and docks.
    TRect WorkAreaOf(const TCustomForm& form) const;

private:
    std::vector<TCustomForm*> forms_;
    TCustomForm* focusedForm_ = nullptr;
    std::vector<TCustomForm*> savedFocus_;  // most recent last; a destroyed window leaves a null
    int focusCount_ = 0;
    TCursor cursor_ = TCursor::crDefault;
    int cursorCount_ = 0;
};

// The hourglass while a scope does work that may take a moment; the cursor before it comes back
// on every way out.
class TBusyCursor {
public:
    TBusyCursor() : saved_(TScreen::Instance().Cursor()) { TScreen::Instance().SetCursor(TCursor::crHourGlass); }
    ~TBusyCursor() { TScreen::Instance().SetCursor(saved_); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    TCursor saved_;
};
