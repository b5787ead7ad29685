// The decimal texts made without printf against printf itself, and the listing's lines
// against its formats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "decimal.h"
#include "listing.h"
#include "notes.h"
#include "stream.h"

using namespace melplay;

namespace {

std::string ours(double x, int decimals)
{
    char text[kDecimalRoom];
    return std::string(text, fixed_text(x, decimals, text));
}

std::string printed(double x, int decimals)
{
    char text[512];
    std::snprintf(text, sizeof text, "%.*f", decimals, x);
    return text;
}

// The values the listing and the decompiler print: times and durations of every kind.
std::vector<double> sample_values()
{
    std::vector<double> v = {0.0,
                             0.5,
                             1.5,
                             2.5,
                             1.0 / 64,
                             1.0 / 128,
                             3.0 / 256,
                             0.0000005,
                             0.0000015,
                             9007199254740992.0,
                             9007199254740991.0,
                             4503599627370496.5,
                             1e15 + 0.5,
                             std::ldexp(1.0, -1074),
                             std::ldexp(1.0, -1022),
                             0.1,
                             0.7,
                             123456.7890125};
    for (unsigned divisor = 1; divisor <= 65535; ++divisor)
        v.push_back(divisor / 66.0);  // every type-3 duration
    for (int code = kFirstCode; code <= kLastCode; ++code)
        for (unsigned divisor = 1; divisor <= 65535; divisor += 97)
            v.push_back(divisor / static_cast<double>(note_frequency(code)));
    for (std::uint64_t w = 0; w <= 0xFFFFFFFFu; w += 0x10001) {  // a stride of the 32-bit range
        v.push_back(static_cast<double>(w));
        v.push_back(std::ldexp(static_cast<double>(w), -20));
        v.push_back(std::ldexp(static_cast<double>(w), -40));
    }
    double t = 0;
    for (unsigned i = 1; i <= 20000; ++i) {  // running sums, as the listing's start times
        t += (i * 7919 % 4000 + 1) / 261.4468;
        v.push_back(t);
    }
    return v;
}

}  // namespace

TEST(FixedText, EqualsPrintf)
{
    const std::vector<double> values = sample_values();
    for (double x : values)
        ASSERT_EQ(ours(x, 6), printed(x, 6)) << x;
    for (int decimals = 0; decimals <= 17; ++decimals)
        for (auto i = static_cast<std::size_t>(decimals); i < values.size(); i += 37)
            ASSERT_EQ(ours(values[i], decimals), printed(values[i], decimals)) << values[i] << " " << decimals;
}

TEST(FixedText, LeavesOtherValuesToPrintf)
{
    char text[kDecimalRoom];
    for (double x : {-1.0, -1e-300, 9007199254740994.0, 1e300, HUGE_VAL, std::nan("")})
        EXPECT_EQ(fixed_text(x, 6, text), 0u) << x;
    EXPECT_EQ(fixed_text(1.0, 18, text), 0u);
}

TEST(UnsignedText, EqualsPrintf)
{
    char text[kDecimalRoom], want[32];
    for (std::uint64_t v : {std::uint64_t{0}, std::uint64_t{9}, std::uint64_t{10}, UINT64_MAX}) {
        std::snprintf(want, sizeof want, "%llu", static_cast<unsigned long long>(v));
        EXPECT_EQ(std::string(text, unsigned_text(v, text)), want);
    }
    for (std::uint64_t v = 0; v <= 0xFFFFFFFFu; v += 0x10001) {
        std::snprintf(want, sizeof want, "%llu", static_cast<unsigned long long>(v));
        ASSERT_EQ(std::string(text, unsigned_text(v, text)), want);
    }
}

TEST(ScaledText, EqualsPrintfOfTheQuotient)
{
    char text[kDecimalRoom];
    for (int decimals = 0; decimals <= 17; ++decimals) {
        for (std::uint64_t q : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{5}, std::uint64_t{120},
                                std::uint64_t{9007199254740992}, std::uint64_t{123456789012345678}}) {
            char want[64];
            const double one = std::pow(10.0, decimals);
            const auto whole = static_cast<unsigned long long>(q / static_cast<std::uint64_t>(one));
            const auto part = static_cast<unsigned long long>(q % static_cast<std::uint64_t>(one));
            if (decimals == 0)
                std::snprintf(want, sizeof want, "%llu", whole);
            else
                std::snprintf(want, sizeof want, "%llu.%0*llu", whole, decimals, part);
            EXPECT_EQ(std::string(text, scaled_text(q, decimals, text)), want) << q << " " << decimals;
        }
    }
}

// A stream with every note code, sections, and divisors from 1 to 65535, in both types.
TEST(Listing, LinesEqualTheirPrintfFormats)
{
    std::vector<unsigned char> bytes;
    unsigned divisor = 1;
    for (int code = kFirstCode; code <= kLastCode; ++code) {
        if (code % 10 == 0)
            bytes.push_back(static_cast<unsigned char>(0x80 | (code % 127 + 1)));
        for (int k = 0; k < 3; ++k, divisor = divisor * 7 % 65536 + 1) {
            bytes.push_back(static_cast<unsigned char>(code));
            bytes.push_back(static_cast<unsigned char>(divisor & 0xFF));
            bytes.push_back(static_cast<unsigned char>(divisor >> 8));
        }
        if (code % 10 == 5 && code > 10)
            bytes.push_back(0x80);
    }
    bytes.push_back(0x00);
    Stream stream;
    ASSERT_EQ(check_stream(bytes, stream).fault, Fault::None);
    for (int type : {1, 3}) {
        char line[256];
        std::snprintf(line, sizeof line, kHeader, "offset", "start", "note", "divisor", "duration");
        std::string want = line;
        double t = 0, section_start = 0;
        int count = 1;
        bool inside = false;
        for (const Element& e : stream.elements) {
            if (e.kind == Kind::Note) {
                const double d = note_seconds(type, e.code, e.divisor);
                std::snprintf(line, sizeof line, kNoteLine, e.offset, t,
                              (std::string(inside ? "  " : "") + note_name(e.code)).c_str(), e.divisor, d);
                t += d;
            } else if (e.kind == Kind::SectionStart) {
                std::snprintf(line, sizeof line, kStartLine, e.offset, t, e.count);
                section_start = t;
                count = e.count;
                inside = true;
            } else {
                t = section_start + (t - section_start) * count;
                inside = false;
                std::snprintf(line, sizeof line, kEndLine, e.offset, t);
            }
            want += line;
        }
        std::snprintf(line, sizeof line, kTotalLine, stream.note_events, "s", t);
        want += line;
        EXPECT_EQ(listing(stream, type), want) << "type " << type;
    }
}
