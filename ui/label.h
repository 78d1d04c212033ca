#pragma once
// Labels: text with access-key marks ("&" underlines the next character, "&&" shows one),
// optional word wrap, automatic size, colour, cursor and a click event.
#include "ui/control.h"

class TLabel : public TControl {
public:
    explicit TLabel(TComponent* owner, TWinControl* parent = nullptr);
    const char* ClassName() const override { return "TLabel"; }

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // The width that automatic sizing never goes beyond (0: none); wrapped text grows down.
    void SetMaxWidth(int width);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    // Whether the parent shows through; otherwise the label fills itself with its colour.
    void SetTransparent(bool value);
    // The control the label names: assistive technologies take that control's name from
    // the label.
    void SetFocusControl(TWinControl* control);

    void SetCaption(const std::string& caption) override;
    void SetFont(const TFont& font) override;
    void SetBounds(int left, int top, int width, int height) override;
    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;
    void Loaded() override;

    // The toolkit's text flags for drawing and measuring this label's text.
    int TextFlags() const;

protected:
    bool WidgetEvent(QEvent& event) override;

private:
    void AdjustBounds();

    bool autoSize_ = true;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    int maxWidth_ = 0;
    bool adjusting_ = false;
};
