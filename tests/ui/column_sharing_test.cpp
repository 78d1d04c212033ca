#include <gtest/gtest.h>

#include <vector>

#include "ui/list_view.h"

namespace {

using Widths = std::vector<int>;

// The key column (up to 150) and the value column (100 to 800) of the main window's list.
const std::vector<ColumnRange> kKeyAndValue = {{0, 150}, {100, 800}};

TEST(ShareColumnWidths, KeyAndValueColumnsAtDesignedNarrowAndWideSizes) {
    EXPECT_EQ(ShareColumnWidths(333, kKeyAndValue), (Widths{150, 183}));
    // The value column would get 72: it is held at 100 and the key column takes the rest.
    EXPECT_EQ(ShareColumnWidths(144, kKeyAndValue), (Widths{44, 100}));
    EXPECT_EQ(ShareColumnWidths(2000, kKeyAndValue), (Widths{150, 800}));
    // Below both minimums the columns keep them; the list then scrolls.
    EXPECT_EQ(ShareColumnWidths(60, kKeyAndValue), (Widths{0, 100}));
}

TEST(ShareColumnWidths, RemainderGoesToTheFirstFreeColumn) {
    EXPECT_EQ(ShareColumnWidths(201, {{}, {}}), (Widths{101, 100}));
    EXPECT_EQ(ShareColumnWidths(11, {{}, {}, {}}), (Widths{5, 3, 3}));
    // With the first column held, the next free one takes the remainder.
    EXPECT_EQ(ShareColumnWidths(301, {{0, 50}, {}, {}}), (Widths{50, 126, 125}));
}

TEST(ShareColumnWidths, SharesAgainUntilNothingChanges) {
    // Round one holds the third at 90; round two holds the second at 104; the first takes 106.
    EXPECT_EQ(ShareColumnWidths(300, {{}, {0, 104}, {0, 90}}), (Widths{106, 104, 90}));
    // Held at a minimum, a column leaves less for the others.
    EXPECT_EQ(ShareColumnWidths(90, {{}, {60, 0}}), (Widths{30, 60}));
    EXPECT_EQ(ShareColumnWidths(500, {}), Widths{});
}

}  // namespace
