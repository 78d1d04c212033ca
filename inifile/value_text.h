#pragma once
// How the typed values of an INI file are written as text, and read back.
// Dates, times and numbers use fixed formats, not the user's locale, so a file means the same
// whoever reads it: dates "2024-03-09", times "17:05:00", moments "2024-03-09 17:05:00",
// numbers the shortest text that reads back as the same double, with a point.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A wall-clock date and time, without a time zone.
using TDateTime = std::chrono::local_seconds;

// Decimal, or hexadecimal after "0x" or "0X" (read as 32 bits, so 0xFFFFFFFF is -1).
std::optional<std::int32_t> ParseIntText(std::string_view text);

// Two upper-case hexadecimal digits per byte.
std::string BytesToHex(std::string_view bytes);
// The bytes of the leading pairs of hexadecimal digits, up to the first pair that is not one.
std::string HexToBytes(std::string_view text);

std::string RealText(double value);
std::optional<double> ParseRealText(std::string_view text);

std::string DateText(TDateTime value);
std::string ClockText(TDateTime value);
std::string MomentText(TDateTime value);
std::optional<TDateTime> ParseDateText(std::string_view text);
// A time alone falls on the first day of the calendar's count (1970-01-01).
std::optional<TDateTime> ParseClockText(std::string_view text);
std::optional<TDateTime> ParseMomentText(std::string_view text);
