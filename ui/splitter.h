#pragma once
// A bar between two controls that stand side by side: dragging it widens the control before
// it and narrows the one after it, or the other way.
#include "ui/control.h"

class TSplitter : public TControl {
public:
    explicit TSplitter(TComponent* owner, TWinControl* parent = nullptr);
    const char* ClassName() const override { return "TSplitter"; }

    TControl* Before() const { return before_; }
    TControl* After() const { return after_; }
    void SetSides(TControl* before, TControl* after);
    // Neither side becomes narrower than this.
    int MinSize() const { return minSize_; }
    void SetMinSize(int size) { minSize_ = size; }

    // The width of the control before the bar. Setting it moves the bar, both controls
    // following, as far as MinSize lets it.
    int BeforeSize() const;
    void SetBeforeSize(int width);

    // The user let go of the bar after moving it.
    TNotifyEvent OnMoved;

    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

protected:
    bool WidgetEvent(QEvent& event) override;

private:
    TControl* before_ = nullptr;
    TControl* after_ = nullptr;
    int minSize_ = 30;
    int dragStartX_ = 0, dragStartSize_ = 0;
    bool dragging_ = false;
};
