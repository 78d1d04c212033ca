// Line ends found a block at a time must be the ones a byte-by-byte walk finds, wherever a
// CR LF pair falls against the blocks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "line_cursor.h"

namespace {

using Lines = std::vector<std::tuple<std::size_t, std::size_t, std::size_t>>;

Lines ByteByByte(const std::string& text) {
    Lines lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = at;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        std::size_t next = end;
        if (end < text.size()) next = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
        lines.emplace_back(at, end, next);
        at = next;
    }
    return lines;
}

Lines ByCursor(const std::string& text) {
    Lines lines;
    for (LineCursor cursor(text); !cursor.AtEnd();) {
        const LineCursor::Line line = cursor.Next();
        lines.emplace_back(line.begin, line.contentEnd, line.next);
    }
    return lines;
}

TEST(LineCursor, FindsTheLinesAByteByByteWalkFinds) {
    const char* const ends[] = {"\n", "\r\n", "\r", "\n\r", "\r\r\n"};
    unsigned seed = 1;
    for (int round = 0; round < 300; ++round) {
        std::string text;
        while (text.size() < 700) {
            seed = seed * 1103515245u + 12345u;
            text.append((seed >> 8) % 150, static_cast<char>('a' + round % 26));
            text += ends[(seed >> 20) % 5];
        }
        text.resize(text.size() - (seed >> 4) % 3);  // sometimes no line end at the very end
        ASSERT_EQ(ByCursor(text), ByteByByte(text)) << round;
    }
    EXPECT_EQ(ByCursor(""), Lines{});
    EXPECT_EQ(ByCursor(std::string(63, 'x') + "\r\n" + std::string(70, 'y')),
              (Lines{{0, 63, 65}, {65, 135, 135}})) << "a CR LF pair across two blocks is one line end";
}

}  // namespace
