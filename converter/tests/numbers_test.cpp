// The numbers of a score and the divisor: number reading, rounding up, the range.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>

#include "note_table.h"
#include "numbers.h"

namespace {

const float kInf = std::numeric_limits<float>::infinity();

TEST(ReadCount, DecimalPrefixSaturatedAtIntMax)
{
    // clang-format off
    const struct {
        const char* token;
        int value;
    } rows[] = {
        {"120", 120},
        {"120bpm", 120},
        {"+7", 7},
        {"007", 7},
        {"\v42", 42},
        {"abc", 0},
        {"++1", 0},
        {"0x10", 0},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"4294967416", INT_MAX},  // would wrap to 120 if truncated to int
        {"99999999999999999999999", INT_MAX},
    };
    // clang-format on
    for (const auto& r : rows)
        EXPECT_EQ(read_count(r.token), r.value) << r.token;
}

// The reader given the token's length reads short digit tokens itself: every token of up to
// five characters over digits and the characters strtol treats specially must read the same.
TEST(ReadCount, OfAKnownLengthAgreesWithStrtol)
{
    const char alphabet[] = "0123456789+ \vx";
    const std::size_t letters = sizeof alphabet - 1;
    char token[8] = {};
    for (std::size_t length = 1; length <= 5; ++length) {
        std::size_t count = 1;
        for (std::size_t i = 0; i < length; ++i)
            count *= letters;
        for (std::size_t n = 0; n < count; ++n) {
            std::size_t v = n;
            for (std::size_t i = 0; i < length; ++i, v /= letters)
                token[i] = alphabet[v % letters];
            token[length] = '\0';
            ASSERT_EQ(read_count(token, length), read_count(token)) << '"' << token << '"';
        }
    }
}

TEST(ReadDuration, FloatingPrefixThroughDoubleThenFloat)
{
    // clang-format off
    const struct {
        const char* token;
        float value;
    } rows[] = {
        {".5", 0.5f},
        {"2.", 2.0f},
        {"1e+3", 1000.0f},
        {"+2.5", 2.5f},
        {"0x1.8p1", 3.0f},
        {"1/4", 1.0f},
        {"1e", 1.0f},
        {"abc", 0.0f},
        {"0.1", 0.1f},
        {"inf", kInf},
        {"INFINITY", kInf},
        {"3.5e38", kInf},
        // Rounds to double exactly on the midpoint between 1 and the next float,
        // then to even: 1. Read straight to float it would be 1.0000001.
        {"1.0000000596046448", 1.0f},
        // Below half the smallest subnormal: 0. Just above it: the smallest subnormal.
        {"0.0000000000000000000000000000000000000000000007", 0.0f},
        {"0.0000000000000000000000000000000000000000000008", std::numeric_limits<float>::denorm_min()},
    };
    // clang-format on
    for (const auto& r : rows)
        EXPECT_EQ(read_duration(r.token), r.value) << r.token;
    EXPECT_TRUE(std::isnan(read_duration("nan")));
    EXPECT_TRUE(std::isnan(read_duration("NaN")));
}

TEST(Divisor, RoundsUpAndChecksTheRange)
{
    const float c4 = notes_freq[search_note("C4")][1];
    // clang-format off
    const struct {
        const char* what;
        int type;
        float freq;
        float duration;
        int tempo;
        int diviseur;
    } rows[] = {
        {"type 3 exact quotient", 3, c4, 1.0f, 120, 33},
        {"type 3 rounded up", 3, c4, 0.5f, 120, 17},
        {"type 1 C4", 1, c4, 1.0f, 120, 262},
        {"type 1 REST, float duration", 1, 100.0f, read_duration("0.3"), 120, 16},
        {"type 3 quotient kept in double", 3, 100.0f, read_duration("0.025"), 1, 100},
        {"type 3 top of range", 3, c4, read_duration("16.549"), 1, 65535},
        {"type 3 past the range", 3, c4, read_duration("16.55"), 1, 0},
        {"tiny note still lasts 1", 3, c4, std::numeric_limits<float>::denorm_min(), INT_MAX, 1},
        {"largest float", 3, c4, FLT_MAX, 1, 0},
        {"infinite", 1, c4, kInf, 120, 0},
        {"not a number", 3, c4, std::numeric_limits<float>::quiet_NaN(), 120, 0},
        {"type 1 past the range", 1, notes_freq[search_note("B7")][1], 100.0f, 60, 0},
    };
    // clang-format on
    for (const auto& r : rows)
        EXPECT_EQ(compute_diviseur(r.type, r.freq, r.duration, r.tempo), r.diviseur) << r.what;
}

// Found by a brute-force search: the quotient rounded once to double would be one
// unit in the last place off from the long double quotient rounded to double.
TEST(Divisor, QuotientIsRoundedThroughLongDouble)
{
    // clang-format off
    const struct {
        int type;
        const char* note;
        const char* duration;
        int tempo;
        double quotient;
    } rows[] = {
        {3, "REST", "12.964", 16471, 0x1.8ef48c563ac82p+1},
        {1, "Eb5", "17.708", 69452, 0x1.306cca7fb062ep+4},
    };
    // clang-format on
    for (const auto& r : rows) {
        float freq = notes_freq[search_note(r.note)][1];
        EXPECT_EQ(divisor_quotient(r.type, freq, read_duration(r.duration), r.tempo), r.quotient)
            << r.note << " " << r.duration;
    }
}

}  // namespace
