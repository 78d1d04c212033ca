#pragma once
// Dialog units: lengths that grow with the font. A horizontal unit is a quarter of the
// font's average character width, a vertical unit an eighth of its height.
#include <cstdint>

#include "ui/screen.h"

class TTextMetrics;

// a × b / c from the exact 64-bit product, rounded to the nearest integer with halves away
// from zero; -1 when c is 0 or the result does not fit.
int32_t ScaleRounded(int32_t a, int32_t b, int32_t c);

// X: the width of the 52 letters A–Z a–z divided by 52 (remainder dropped); Y: their height.
TPoint AverageCharSize(const TTextMetrics& metrics);

int HorzDialogUnits(int units, const TPoint& charSize);
int VertDialogUnits(int units, const TPoint& charSize);
