#pragma once
// Images: a picture on a window, one of the desktop's standard icons.
#include <optional>
#include <string>

#include "ui/control.h"

enum class TStandardIcon { Warning, Error, Information, Question };

class TImage : public TControl {
public:
    explicit TImage(TComponent* owner, TWinControl* parent = nullptr);
    const char* ClassName() const override { return "TImage"; }

    void ShowStandardIcon(TStandardIcon icon);

    void SetBounds(int left, int top, int width, int height) override;

private:
    void Render();

    std::optional<TStandardIcon> icon_;
};
