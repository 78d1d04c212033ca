#pragma once
// The program's own pictures (tree and list images, button glyphs, the program icon), drawn
// as vector images embedded in the binary and rendered for the screen's pixel ratio, and the
// desktop's standard message icons.
#include <string_view>
#include <vector>

class QIcon;
class QPixmap;
class QSize;

// Names: "file", "section", "key", "browse", "app" and the comparison's marks "mark-same",
// "mark-different", "mark-left-only", "mark-right-only" (16 x 16 and up); the button glyphs
// "ok", "cancel", "help", "yes", "no", "close", "abort", "retry", "ignore", "all", "add"
// (18 x 18); the message icons "warning", "error", "information", "question" (32 x 32). The
// result has the given logical size and device pixel ratio; an unknown name or an empty size
// gives a null pixmap.
QPixmap DrawnImage(std::string_view name, QSize logicalSize, double devicePixelRatio);
// Whether DrawnImage knows the name, without drawing it.
bool IsDrawnImageName(std::string_view name);

// The pixel ratios that icons are drawn for: 1 and 2, and each screen's own (1.25, 1.5, ...),
// so that the toolkit never has to scale a picture to fit the screen.
std::vector<double> PixelRatiosToDraw();

// How a picture looks on a disabled control: grey and embossed as a bitmap button's glyph, or
// as the style greys any icon.
enum class DisabledLook { Embossed, Styled };

// A drawn picture as an icon of that logical size, drawn for a pixel size only when it is first
// painted at it. Null for an unknown name.
QIcon DrawnIcon(std::string_view name, QSize logicalSize, DisabledLook disabledLook);

// The program icon: it lists the sizes of a window's icon, 16 to 64 pixels, and draws any size
// when it is first asked for.
QIcon AppIcon();

enum class SystemIconKind { Warning, Error, Information, Question };

// The desktop style's standard icon of that kind, size x size logical pixels at the pixel
// ratio; our own drawing of it where the style has no picture that large (its built-in
// pictures are 32 pixels). Null without a QApplication.
QPixmap SystemIcon(SystemIconKind kind, int size, double devicePixelRatio = 1.0);
