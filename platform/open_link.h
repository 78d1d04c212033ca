#pragma once
// Opening a link through the desktop: a "mailto:" target in the user's mail program, a web
// address in the user's browser. Returns at once; whether it worked is not reported.
#include <functional>
#include <string>

// target is a text in the ANSI code page.
void OpenLinkInDesktop(const std::string& target);

// Test seam: when set, targets are handed to it instead of to the desktop.
using LinkOpener = std::function<void(const std::string& target)>;
void SetLinkOpener(LinkOpener opener);
