#include "dialogs/dialog_units.h"

#include <cstdlib>
#include <limits>

#include "ui/text_metrics.h"

int32_t ScaleRounded(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    int64_t product = int64_t(a) * b;
    int64_t quotient = product / c, remainder = product % c;
    if (2 * std::llabs(remainder) >= std::llabs(int64_t(c))) quotient += (product < 0) == (c < 0) ? 1 : -1;
    if (quotient > std::numeric_limits<int32_t>::max() || quotient < std::numeric_limits<int32_t>::min()) return -1;
    return int32_t(quotient);
}

TPoint AverageCharSize(const TTextMetrics& metrics) {
    TTextExtent extent = metrics.TextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {extent.Width / 52, extent.Height};
}

int HorzDialogUnits(int units, const TPoint& charSize) { return ScaleRounded(units, charSize.X, 4); }

int VertDialogUnits(int units, const TPoint& charSize) { return ScaleRounded(units, charSize.Y, 8); }
