#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "inifile/ini_file.h"
#include "inifile/memory_stream.h"
#include "tests/engine/temp_dir.h"

namespace {

using namespace std::chrono;

class TypedValues : public testing::Test {
protected:
    TempDir dir;
    TIniFile file{dir.Write("v.ini", "[v]\nhex=0x1F\nHEX=0XFFFFFFFF\nbad=12a\nbig=2147483648\n"
                                     "date=2024-02-30\nclock=24:00:00\n")};
};

TEST_F(TypedValues, IntegersAndFlags) {
    EXPECT_EQ(file.ReadIntValue("v", "hex", 7), 31);
    EXPECT_EQ(file.ReadIntValue("v", "HEX", 7), 31);  // the first of the duplicates answers
    EXPECT_EQ(file.ReadIntValue("v", "bad", 7), 7);
    EXPECT_EQ(file.ReadIntValue("v", "big", 7), 7);
    EXPECT_EQ(file.ReadIntValue("v", "missing", 7), 7);
    file.WriteIntValue("v", "n", -2147483647 - 1);
    EXPECT_EQ(file.ReadIntValue("v", "n", 0), -2147483647 - 1);
    file.WriteValue("v", "all", "0xFFFFFFFF");
    EXPECT_EQ(file.ReadIntValue("v", "all", 0), -1);
    file.WriteFlagValue("v", "on", true);
    file.WriteFlagValue("v", "off", false);
    EXPECT_TRUE(file.ReadFlagValue("v", "on", false));
    EXPECT_FALSE(file.ReadFlagValue("v", "off", true));
    EXPECT_TRUE(file.ReadFlagValue("v", "missing", true));
}

TEST_F(TypedValues, BytesAsHexadecimalPairs) {
    TMemoryStream source;
    source.Write("\x00\xFF\x10 z", 5);
    source.Seek(1, TSeekOrigin::Beginning);
    file.WriteBytesValue("v", "bytes", source);
    EXPECT_EQ(file.ReadValue("v", "bytes", ""), "FF10207A");

    TMemoryStream target;
    target.Write("ab", 2);
    EXPECT_EQ(file.ReadBytesValue("v", "bytes", target), 4);
    EXPECT_EQ(target.Bytes(), "ab\xFF\x10 z");
    file.WriteValue("v", "broken", "0a1g22");
    EXPECT_EQ(file.ReadBytesValue("v", "broken", target), 1);  // stops at the pair that is not one
    EXPECT_EQ(file.ReadBytesValue("v", "missing", target), 0);
}

TEST_F(TypedValues, NumbersDatesAndTimesReadBackAndBadTextGivesTheDefault) {
    file.WriteRealValue("v", "real", 0.1 + 0.2);
    EXPECT_EQ(file.ReadRealValue("v", "real", 0), 0.1 + 0.2);
    EXPECT_EQ(file.ReadRealValue("v", "bad", 1.5), 1.5);

    const TDateTime moment = local_days(year(2024) / 2 / 29) + hours(17) + minutes(5) + seconds(9);
    const TDateTime fallback{};
    file.WriteMomentValue("v", "moment", moment);
    file.WriteDateValue("v", "day", moment);
    file.WriteClockValue("v", "time", moment);
    EXPECT_EQ(file.ReadValue("v", "moment", ""), "2024-02-29 17:05:09");
    EXPECT_EQ(file.ReadMomentValue("v", "moment", fallback), moment);
    EXPECT_EQ(file.ReadDateValue("v", "day", fallback), floor<days>(moment));
    EXPECT_EQ(file.ReadClockValue("v", "time", fallback), TDateTime(moment - floor<days>(moment)));
    EXPECT_EQ(file.ReadDateValue("v", "date", fallback), fallback);
    EXPECT_EQ(file.ReadClockValue("v", "clock", fallback), fallback);
    EXPECT_EQ(file.ReadMomentValue("v", "day", fallback), fallback);
}

}  // namespace
