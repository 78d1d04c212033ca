#pragma once
// The colours of the window under a desktop that prefers a dark scheme.
class QPalette;

// Light text on dark grounds in every colour group; disabled text stays readable but plainly
// fainter, and a selection keeps its colours when the window or view loses the focus.
QPalette DarkPalette();
