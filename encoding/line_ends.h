#pragma once
// The line-end style of a file, as a status line shows it.
#include <string_view>

#include "encoding/code_page.h"

enum class TLineEnds { None, CrLf, Lf, Cr, Mixed };

// The one kind of line end all of bytes' line ends are, Mixed when they differ, None when
// there is none. In UTF-16 (1200, 1201) line ends are counted in two-byte units; in every
// other code page CR and LF bytes are never part of a character.
TLineEnds DetectLineEnds(std::string_view bytes, TCodePage codePage);
