#include "app/comment_hint.h"

namespace {

std::string_view WithoutBlanksAtStart(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

}  // namespace

std::string CommentHint(const std::vector<std::string>& comments) {
    std::string hint;
    for (const std::string& comment : comments) {
        std::string_view text = WithoutBlanksAtStart(comment);
        if (!text.empty() && (text.front() == ';' || text.front() == '#')) text.remove_prefix(1);
        if (!hint.empty()) hint += '\n';
        hint += WithoutBlanksAtStart(text);
    }
    return hint;
}
