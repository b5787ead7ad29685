// Option values: the first character skipped, then base 16, saturated to 32 bits.
#include <gtest/gtest.h>

#include <cstdint>

#include "arguments.h"

namespace {

struct ValueRow {
    const char* arg;
    std::int32_t value;
};

void PrintTo(const ValueRow& r, std::ostream* os)
{
    *os << '"' << r.arg << '"';
}

class OptionValue : public testing::TestWithParam<ValueRow> {};

TEST_P(OptionValue, ReadsTheArgumentPastItsFirstCharacter)
{
    EXPECT_EQ(koddar::option_value(GetParam().arg), GetParam().value);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Forms, OptionValue, testing::Values(
    ValueRow{":0xF000", 0xF000},
    ValueRow{":0XF000", 0xF000},
    ValueRow{":F000", 0xF000},
    ValueRow{":f000", 0xF000},
    ValueRow{"=F000", 0xF000},
    ValueRow{"F000", 0},       // a separate word loses its first digit: "000"
    ValueRow{"1F", 0xF},
    ValueRow{"", 0},           // an empty argument, nothing past it is read
    ValueRow{":", 0},
    ValueRow{":0x", 0},
    ValueRow{":G1", 0},
    ValueRow{":12G5", 0x12},
    ValueRow{": 0x10", 0x10},  // strtol skips leading blanks
    ValueRow{":+0x10", 0x10},
    ValueRow{":-10", -0x10},
    ValueRow{":-0x1000", -0x1000}));
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(Saturation, OptionValue, testing::Values(
    ValueRow{":0x7FFFFFFF", INT32_MAX},
    ValueRow{":0x80000000", INT32_MAX},
    ValueRow{":0xFFFFFFFF", INT32_MAX},
    ValueRow{":FFFFFFFFFFFFFFFFFFFF", INT32_MAX},  // past even a 64-bit long
    ValueRow{":-0x80000000", INT32_MIN},
    ValueRow{":-0x80000001", INT32_MIN},
    ValueRow{":-0xFFFFFFFF", INT32_MIN},
    ValueRow{":-FFFFFFFFFFFFFFFFFFFF", INT32_MIN}));
// clang-format on

}  // namespace
