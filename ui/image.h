#pragma once
// Images: a picture on a window, either one of the desktop's standard icons or one of ours.
#include <string>

#include "ui/control.h"

enum class TStandardIcon { Warning, Error, Information, Question };

class TImage : public TControl {
public:
    explicit TImage(TComponent* owner);
    const char* ClassName() const override { return "TImage"; }

    void ShowStandardIcon(TStandardIcon icon);
    void ShowDrawnImage(const std::string& name);
    bool HasPicture() const;
    // What assistive technologies call the picture (bytes in the ANSI code page).
    void SetAccessibleName(const std::string& name);

    void SetBounds(int left, int top, int width, int height) override;

private:
    void Render();

    enum class Source { None, Standard, Drawn } source_ = Source::None;
    TStandardIcon icon_ = TStandardIcon::Information;
    std::string drawn_;
};
