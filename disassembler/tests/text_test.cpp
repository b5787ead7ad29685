// The "%04X" builder must print exactly what printf prints (the byte tables are made by
// printf itself).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "text.h"

using namespace koddar;

namespace {

std::string printf_hex4(std::uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04X", v);
    return text;
}

std::string hex4(std::uint32_t v)
{
    char text[16] = "";
    append_hex4(text, sizeof text, v);
    return text;
}

}  // namespace

TEST(AppendHex4, MatchesPrintfAcrossEveryDigitCount)
{
    // Every value up to 0x20000 (four and five digits), then a stride over the rest of the
    // 32-bit range, and the edges of each digit count.
    for (std::uint32_t v = 0; v <= 0x20000; ++v)
        ASSERT_EQ(hex4(v), printf_hex4(v)) << v;
    for (std::uint64_t v = 0x20000; v <= 0xFFFFFFFFu; v += 0x10001)
        ASSERT_EQ(hex4(static_cast<std::uint32_t>(v)), printf_hex4(static_cast<std::uint32_t>(v))) << v;
    for (std::uint32_t v : {0xFFFFu, 0x10000u, 0xFFFFFu, 0x100000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFF82u, 0xFFFFFFFFu})
        EXPECT_EQ(hex4(v), printf_hex4(v)) << v;
}

TEST(Append, CutsAtTheEndOfTheStore)
{
    char text[6] = "ab";
    append(text, sizeof text, "cdefgh");
    EXPECT_STREQ(text, "abcde");
    append(text, sizeof text, "x");
    EXPECT_STREQ(text, "abcde");
}
