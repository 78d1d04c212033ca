#pragma once
// Measuring text in one of our fonts exactly as labels and buttons lay it out, for code that
// sizes and places controls by their texts.
#include <memory>
#include <string>

#include "ui/graphics.h"
#include "ui/screen.h"

struct TTextExtent {
    int Width = 0, Height = 0;
};

// How a text is laid out while it is measured; combine with |.
enum TTextFormat : unsigned {
    tfSingleLine = 1,  // line breaks in the text are not honoured
    tfWordBreak = 2,   // wrap at word boundaries within the starting width
    tfExpandTabs = 4,
    tfNoPrefix = 8,    // "&" is text, not an access-key mark
};

class TTextMetrics {
public:
    virtual ~TTextMetrics() = default;
    // Width and height of the text on one line.
    virtual TTextExtent TextExtent(const std::string& text) const = 0;
    // The rectangle the text needs when laid out from the left, top and right of start:
    // the same left and top, right and bottom grown to fit. A word wider than the start
    // widens the result.
    virtual TRect TextRect(const std::string& text, const TRect& start, unsigned format) const = 0;
};

class TFontTextMetrics final : public TTextMetrics {
public:
    explicit TFontTextMetrics(const TFont& font);
    ~TFontTextMetrics() override;

    TTextExtent TextExtent(const std::string& text) const override;
    TRect TextRect(const std::string& text, const TRect& start, unsigned format) const override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
