#include "inifile/value_text.h"

#include <charconv>
#include <cstdio>

namespace {

using namespace std::chrono;

// The whole text must be the number.
template <typename Number>
std::optional<Number> WholeNumber(std::string_view text, int base) {
    Number number{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return number;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<seconds> ClockOf(std::string_view text) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') return std::nullopt;
    const auto hour = WholeNumber<unsigned>(text.substr(0, 2), 10);
    const auto minute = WholeNumber<unsigned>(text.substr(3, 2), 10);
    const auto second = WholeNumber<unsigned>(text.substr(6), 10);
    if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
    return hours(*hour) + minutes(*minute) + seconds(*second);
}

}  // namespace

std::optional<std::int32_t> ParseIntText(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const auto bits = WholeNumber<std::uint32_t>(text.substr(2), 16);
        if (!bits) return std::nullopt;
        return static_cast<std::int32_t>(*bits);
    }
    return WholeNumber<std::int32_t>(text, 10);
}

std::string BytesToHex(std::string_view bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

std::string HexToBytes(std::string_view text) {
    std::string bytes;
    for (std::size_t at = 0; at + 1 < text.size(); at += 2) {
        const int high = HexDigit(text[at]);
        const int low = HexDigit(text[at + 1]);
        if (high < 0 || low < 0) break;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

std::string RealText(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::optional<double> ParseRealText(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::string DateText(TDateTime value) {
    const year_month_day date{floor<days>(value)};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::string ClockText(TDateTime value) {
    const hh_mm_ss clock{value - floor<days>(value)};
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()), static_cast<int>(clock.seconds().count()));
    return text;
}

std::string MomentText(TDateTime value) { return DateText(value) + " " + ClockText(value); }

std::optional<TDateTime> ParseDateText(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto year = WholeNumber<int>(text.substr(0, 4), 10);
    const auto month = WholeNumber<unsigned>(text.substr(5, 2), 10);
    const auto day = WholeNumber<unsigned>(text.substr(8), 10);
    if (!year || !month || !day) return std::nullopt;
    const year_month_day date{std::chrono::year(*year), std::chrono::month(*month), std::chrono::day(*day)};
    if (!date.ok()) return std::nullopt;
    return TDateTime(local_days(date));
}

std::optional<TDateTime> ParseClockText(std::string_view text) {
    const auto clock = ClockOf(text);
    if (!clock) return std::nullopt;
    return TDateTime(*clock);
}

std::optional<TDateTime> ParseMomentText(std::string_view text) {
    if (text.size() != 19 || text[10] != ' ') return std::nullopt;
    const auto date = ParseDateText(text.substr(0, 10));
    const auto clock = ClockOf(text.substr(11));
    if (!date || !clock) return std::nullopt;
    return *date + *clock;
}
