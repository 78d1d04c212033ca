#pragma once
// Access keys of buttons and menu items. A caption may mark its own ("&Yes"); a control may
// also be given one without touching its caption. Captions without Latin letters (Chinese
// ones) show it after the caption as "(X)", the way desktops show such access keys; the
// caption itself stays as it is for everything that reads it. The captions here are as the
// user sees them: converted from their code page.
class QString;
class QAbstractButton;
class LayoutValue;

// The access key that the caption marks with a single "&", upper-cased; 0 when none.
char16_t MarkedAccessKey(const QString& caption);
// The caption's access key: the one it marks, else the given one (upper-cased); 0 when none.
char16_t AccessKeyOf(const QString& caption, char16_t given);
// The caption as the toolkit shows it ("&&" is one "&" there too): with the given key
// underlined where the caption has that letter, else "(&X)" after it. A caption that marks
// its own key, or no key given, shows as it is.
QString CaptionWithAccessKey(const QString& caption, char16_t given);
// Shows the caption on a button with its access key; assistive technologies read the caption,
// not the marker beside it, and the key is ours (dialog characters), not a toolkit shortcut.
void ShowCaptionWithAccessKey(QAbstractButton& button, const QString& caption, char16_t given);
// The access key a layout gives, one Latin letter or digit: AccessKey = M.
char16_t AccessKeyValue(const LayoutValue& value);
