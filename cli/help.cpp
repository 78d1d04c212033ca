#include "cli/help.h"

#include <string_view>

#include "encoding/encodings.h"

namespace {

constexpr const char* Usage = R"(Usage: iniv [OPTION]... COMMAND FILE [WORD]...
Reads and changes INI files byte for byte: comments, blank lines, spacing, the letter
case of names, line ends, a byte-order mark and every byte a change does not target stay
as they were. Each file is read in its own encoding.

Commands:
  get FILE SECTION KEY         print the key's value
  set FILE SECTION KEY VALUE   set the key's value; a missing key is added after the
                               last key of its section, a missing section at the end of
                               the file, a missing file is made
  del FILE SECTION [KEY]       remove every line of the key from the section, or every
                               section of that name, header through last key
  rename FILE SECTION [KEY] NEWNAME
                               rename the section, or the key: only the name's bytes
                               change; refused when another has the name
  sections FILE                print the section names in file order, one a line, a
                               name as often as its header appears
  keys FILE SECTION            print the section's key names, one a line, duplicates
                               and empty names included
  batch FILE                   read set, del and rename lines from standard input and
                               apply them in order under one lock with one save: all
                               of them, or none
  diff FILE OTHER              compare two files as their readers find them, each in
                               its own encoding: sections and keys by name (ASCII case
                               and blanks around names aside, the n-th of a repeated
                               name with the n-th), values as read. Order, comments,
                               blank lines, line ends and byte-order marks are no
                               differences. '<' lines are FILE's, '>' lines OTHER's

Options, given before FILE:
  -e, --encoding=auto|NAME  the encoding of FILE. auto, the default, decides it as the
                            viewer does: a byte-order mark; else UTF-8 when the bytes
                            are valid UTF-8; else the code page they fit, the locale's
                            language leaning; and the encoding the user chose for the
                            file in the viewer, while its bytes give the same verdict
  -0, --null                end each value or name printed with a zero byte instead of
                            a line end, so that empty names and any bytes survive
  -n, --dry-run             print what would change as a unified diff; write nothing
      --raw                 take names and values as the file's own bytes, unconverted
                            and unchecked; without it, words that are not valid text of
                            the terminal's encoding are refused (status 2)
      --right-encoding=auto|NAME
                            diff: the encoding of OTHER, as --encoding is FILE's
      --porcelain           diff: one line a difference, fields separated by tabs, in
                            FILE's order then OTHER's own: changed SECTION KEY LEFT
                            RIGHT; left-only SECTION KEY VALUE; right-only SECTION KEY
                            VALUE; left-only SECTION and right-only SECTION for a whole
                            section (its keys are not listed)
  -h, --help                print this help
      --version             print the version

Names: a SECTION or KEY is found as the viewer finds it: ASCII letters match in either
case, blanks around a name are no part of it, and when a name appears more than once
the first section, and in it the first key, answers and takes the change. A key line
without '=' has an empty value.

Encodings: names and values on the command line, in batch lines and in what iniv
prints are in the terminal's encoding (the locale's: LC_ALL, LC_CTYPE or LANG; UTF-8
under C or none), converted to and from the file's. A character the file's encoding
cannot hold is refused, never written as '?'; a name or value that the terminal cannot
show exactly is not printed. UTF-16 files are read, not written, and so is a file
whose bytes are not valid in the encoding forced on it (a write would mix two).
NAME is one of these, letter case, '-' and '_' aside, or CP<n> or the code page's
number (936 is GBK):
@ENCODINGS@

Batch lines: a command and its words, without FILE:
  set SECTION KEY VALUE | del SECTION [KEY] | rename SECTION [KEY] NEWNAME
Words are split as a shell splits them: blanks separate words; '...' keeps everything
up to the next ' as it is; "..." too, except that \" and \\ stand for " and \;
outside quotes a backslash keeps the next character as it is; '' is an empty word.
Blank lines and lines starting with # are skipped. Each line works on what the lines
before it left. When a line fails, nothing is written. In a batch, a del of something
that is not there does nothing.

Exit status:
  0  done; for get, sections and keys: found; for diff: no differences
  1  not found: the file, the section or the key; nothing written; for diff: the
     files differ
  2  a wrong command line or batch line, or a word that is not valid text of the
     terminal's encoding; nothing written
  3  refused or failed, or a file diff compares cannot be read; nothing written.
     Standard error says why, as in
       iniv: Unable to write to game.ini. The file is read-only.

Examples:
  iniv get game.ini 画面 画质
  iniv set --dry-run game.ini 画面 画质 中
  printf '%s\n' 'set 画面 画质 中' 'set 账号 "上次登录" "星海 旅人"' | iniv batch game.ini
  iniv keys -0 game.ini 按键 | xargs -0 -n1 echo
  iniv diff --right-encoding=big5 game.ini backup.ini
)";

// The names, a few a line.
std::string EncodingNames() {
    std::string names;
    std::string line;
    for (const TEncoding& encoding : Encodings()) {
        if (line.size() + std::string_view(encoding.displayName).size() > 80) {
            names += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "  " : " ") + std::string(encoding.displayName);
    }
    return names + line;
}

}  // namespace

std::string HelpText() {
    std::string text = Usage;
    const std::string marker = "@ENCODINGS@";
    text.replace(text.find(marker), marker.size(), EncodingNames());
    return text;
}

std::string VersionText() { return "iniv " INIV_VERSION "\n"; }
