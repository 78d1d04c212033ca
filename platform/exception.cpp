#include "platform/exception.h"

namespace {
std::string ReplacePlaceholder(std::string_view pattern, std::string_view placeholder,
                               std::string_view arg) {
    std::string result(pattern);
    if (auto at = result.find(placeholder); at != std::string::npos)
        result.replace(at, placeholder.size(), arg);
    return result;
}
}  // namespace

std::string FormatMessage(std::string_view pattern, std::string_view arg) {
    return ReplacePlaceholder(pattern, "%s", arg);
}

std::string FormatMessage(std::string_view pattern, long long number) {
    return ReplacePlaceholder(pattern, "%d", std::to_string(number));
}
