#pragma once
// One small UTF-16 file with CRLF line ends, and what the commands of the UTF-16 tests make of
// it, in both byte orders, written out unit by unit.
#include <string>

struct Utf16Fixture {
    std::string original;      // "[s]" CRLF "k=v" CRLF, after its mark
    std::string chinese;       // k=中文
    std::string outsidePlane;  // k=U+20BB7, a surrogate pair
    std::string added;         // 新=1 after k
    std::string renamed;       // [节], n=1
    std::string removed;       // without k
    std::string mark;          // without the section: the mark alone
};

inline std::string Bytes(std::initializer_list<unsigned char> bytes) { return std::string(bytes.begin(), bytes.end()); }

inline Utf16Fixture LittleEndianFixture() {
    const std::string mark = Bytes({0xFF, 0xFE}), crlf = Bytes({'\r', 0, '\n', 0});
    const std::string s = Bytes({'[', 0, 's', 0, ']', 0}) + crlf, k = Bytes({'k', 0, '=', 0, 'v', 0}) + crlf;
    const std::string n = Bytes({0xB0, 0x65, '=', 0, '1', 0}) + crlf;  // 新 U+65B0
    const std::string section = Bytes({'[', 0, 0x82, 0x82, ']', 0}) + crlf;  // 节 U+8282
    return {mark + s + k,
            mark + s + Bytes({'k', 0, '=', 0, 0x2D, 0x4E, 0x87, 0x65}) + crlf,
            mark + s + Bytes({'k', 0, '=', 0, 0x42, 0xD8, 0xB7, 0xDF}) + crlf,
            mark + s + k + n,
            mark + section + k + Bytes({'n', 0, '=', 0, '1', 0}) + crlf,
            mark + section + Bytes({'n', 0, '=', 0, '1', 0}) + crlf,
            mark};
}

inline Utf16Fixture BigEndianFixture() {
    const std::string mark = Bytes({0xFE, 0xFF}), crlf = Bytes({0, '\r', 0, '\n'});
    const std::string s = Bytes({0, '[', 0, 's', 0, ']'}) + crlf, k = Bytes({0, 'k', 0, '=', 0, 'v'}) + crlf;
    const std::string n = Bytes({0x65, 0xB0, 0, '=', 0, '1'}) + crlf;
    const std::string section = Bytes({0, '[', 0x82, 0x82, 0, ']'}) + crlf;
    return {mark + s + k,
            mark + s + Bytes({0, 'k', 0, '=', 0x4E, 0x2D, 0x65, 0x87}) + crlf,
            mark + s + Bytes({0, 'k', 0, '=', 0xD8, 0x42, 0xDF, 0xB7}) + crlf,
            mark + s + k + n,
            mark + section + k + Bytes({0, 'n', 0, '=', 0, '1'}) + crlf,
            mark + section + Bytes({0, 'n', 0, '=', 0, '1'}) + crlf,
            mark};
}
