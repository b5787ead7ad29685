// The byte texts and the "%04X" helpers must print exactly what printf prints, the cursor
// must never write past its store, and TEXT operands quote what each output can read back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "data_lines.h"
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
    char text[16];
    Cursor out(text);
    out.put_hex4(v);
    const std::size_t n = out.finish();
    return std::string(text, n);
}

std::string line_hex4(std::uint32_t v)
{
    Line line;
    line.put_hex4(v);
    return std::string(line.text(), line.size());
}

// The cursor's, the mapped line's and the messages' "%04X" against printf's.
void expect_hex4(std::uint32_t v)
{
    const std::string printed = printf_hex4(v);
    ASSERT_EQ(hex4(v), printed) << v;
    ASSERT_EQ(line_hex4(v), printed) << v;
    ASSERT_EQ(hex_address(static_cast<std::int32_t>(v)), printed) << v;
}

// A piece must hold the printf text, its length and zero padding behind it.
void expect_piece(const Piece<7>& piece, const char* printed, const char* what, unsigned n)
{
    EXPECT_EQ(std::string(piece.text, piece.size), printed) << what << " of " << n;
    EXPECT_EQ(piece.size, std::strlen(printed)) << what << " of " << n;
    for (std::size_t i = piece.size; i < sizeof piece.text; ++i)
        EXPECT_EQ(piece.text[i], '\0') << what << " of " << n;
}

}  // namespace

TEST(ByteTexts, MatchPrintfForEveryByte)
{
    char text[8];
    for (unsigned n = 0; n < 256; ++n) {
        std::snprintf(text, sizeof text, "%02x", n);
        expect_piece(hex_lower[n], text, "%02x", n);
        std::snprintf(text, sizeof text, "%02X", n);
        expect_piece(hex_upper[n], text, "%02X", n);
        std::snprintf(text, sizeof text, "%u", n);
        expect_piece(decimal[n], text, "%u", n);
    }
}

TEST(PutHex4, MatchesPrintfAcrossEveryDigitCount)
{
    // Every value up to 0x20000 (four and five digits), then a stride over the rest of the
    // 32-bit range, and the edges of each digit count.
    for (std::uint32_t v = 0; v <= 0x20000; ++v)
        expect_hex4(v);
    for (std::uint64_t v = 0x20000; v <= 0xFFFFFFFFu; v += 0x10001)
        expect_hex4(static_cast<std::uint32_t>(v));
    for (unsigned digits = 4; digits <= 8; ++digits) {
        const std::uint64_t top = (std::uint64_t{1} << (4 * digits)) - 1;
        for (std::uint64_t v : {top, top + 1, top >> 1, (top >> 4) + 1}) {
            if (v > 0xFFFFFFFFu)
                continue;
            expect_hex4(static_cast<std::uint32_t>(v));
        }
    }
}

// Every way of writing through a cursor, each started with the store nearly full: the text
// is cut at the last byte before the terminator, and nothing past the store changes.
TEST(Cursor, CutsAtTheEndOfTheStore)
{
    struct Case {
        const char* what;
        void (*write)(Cursor&);
        const char* expected;  // the store of 8 after "abcde" and the write
    };
    const Case cases[] = {
        {"literal", [](Cursor& c) { c.put("xyz"); }, "abcdexy"},
        {"piece", [](Cursor& c) { c.put(decimal[255]); }, "abcde25"},
        {"text and length", [](Cursor& c) { c.put("uvwxyz", 6); }, "abcdeuv"},
        {"character", [](Cursor& c) { c.put('x'), c.put('y'), c.put('z'); }, "abcdexy"},
        {"hex4", [](Cursor& c) { c.put_hex4(0xFEDCBA98u); }, "abcdeFE"},
    };
    for (const Case& k : cases) {
        char store[12];
        std::memset(store, '#', sizeof store);
        Cursor c(store, 8);
        c.put("abcde");
        k.write(c);
        EXPECT_EQ(c.finish(), 7u) << k.what;
        EXPECT_STREQ(store, k.expected) << k.what;
        EXPECT_EQ(std::string(store + 8, 4), "####") << k.what;
    }
}

// A TEXT line's operands in the mapped listing and in source: the same runs, but a source
// writes the backslash as a number, since kodasm reads it as the start of an escape.
TEST(TextOperands, QuotePrintableRunsForEachOutput)
{
    struct Case {
        std::string bytes;
        const char* listing;
        const char* source;
    };
    const Case cases[] = {
        {"", "", ""},
        {"AB", R"("AB")", R"("AB")"},
        {std::string(1, '\0'), "$00", "$00"},
        {std::string("A\0B", 3), R"("A",$00,"B")", R"("A",$00,"B")"},
        {R"(a\b)", R"("a\b")", R"("a",$5C,"b")"},
        {R"(\)", R"("\")", "$5C"},
        {R"(say "hi")", R"("say ",$22,"hi",$22)", R"("say ",$22,"hi",$22)"},
        {"\x1F \x7E\x7F\x80\xFF", R"($1F," ~",$7F,$80,$FF)", R"($1F," ~",$7F,$80,$FF)"},
    };
    for (const Case& k : cases) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(k.bytes.data());
        const int count = static_cast<int>(k.bytes.size());
        Line listing, source;
        put_text(listing, bytes, count, Quoting::Listing);
        put_text(source, bytes, count, Quoting::Source);
        EXPECT_EQ(std::string(listing.text(), listing.size()), k.listing) << k.bytes;
        EXPECT_EQ(std::string(source.text(), source.size()), k.source) << k.bytes;
    }
}
