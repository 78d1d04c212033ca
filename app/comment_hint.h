#pragma once
// Comment lines as help: the comments right above a key or a section header, shown as that
// row's or node's tooltip.
#include <string>
#include <string_view>
#include <vector>

// The comments one per line, each without its marker and the blanks after it.
std::string CommentHint(const std::vector<std::string>& comments);
