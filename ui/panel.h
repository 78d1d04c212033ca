#pragma once
// Panels: a container with raised or lowered bevels and a colour.
#include "ui/control.h"

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* owner, TWinControl* parent = nullptr);
    const char* ClassName() const override { return "TPanel"; }

    TBevelCut BevelOuter() const { return bevelOuter_; }
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevels(TBevelCut outer, TBevelCut inner);
    int BevelWidth() const { return bevelWidth_; }

    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

private:
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    TBevelCut bevelInner_ = TBevelCut::bvNone;
    int bevelWidth_ = 1;
};
