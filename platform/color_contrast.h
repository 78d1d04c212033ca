#pragma once
// How well one colour reads on another: the contrast ratio of the accessibility guidelines,
// from 1 (the same) to 21 (black on white).
class QColor;

double ContrastRatio(const QColor& a, const QColor& b);
