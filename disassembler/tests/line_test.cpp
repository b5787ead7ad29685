// The listing line built in fixed-size moves against the same line composed with printf
// from the decoder's own pieces, for every opcode with varied operand bytes at relocations
// whose addresses take four, five and eight digits; the label line written in place against
// the one a Line builds.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "data_lines.h"
#include "decoder.h"

namespace {

// Blanks while the text is shorter than the column, as printf's "%-*s" pads.
std::string padded(const std::string& text, std::size_t column)
{
    char out[64];
    std::snprintf(out, sizeof out, "%-*s", static_cast<int>(column), text.c_str());
    return out;
}

std::string printf_hex_column(std::int32_t address, const unsigned char* bytes, std::int32_t n)
{
    char out[32];
    int at = std::snprintf(out, sizeof out, "%04X %02x", static_cast<unsigned>(address), bytes[0]);
    for (std::int32_t i = 1; i < n; ++i)
        at += std::snprintf(out + at, sizeof out - static_cast<std::size_t>(at), "%02x", bytes[i]);
    return out;
}

}  // namespace

TEST(ListingLine, EqualsThePrintfComposition)
{
    const std::int32_t relocs[] = {0, 0xF000, 0xFFFE, 0x12345, 0x7FFFFFF0, -0x1000, -1};
    unsigned char image[8] = {};
    std::uint32_t seed = 12;
    for (std::int32_t reloc : relocs) {
        for (unsigned opcode = 0; opcode < 256; ++opcode) {
            for (int variant = 0; variant < 16; ++variant) {
                image[0] = static_cast<unsigned char>(opcode);
                for (std::size_t i = 1; i < sizeof image; ++i) {
                    seed = seed * 1103515245u + 12345u;
                    image[i] = static_cast<unsigned char>(seed >> 16);
                }
                koddar::buffer = image;
                koddar::loaded_length = sizeof image;
                koddar::reloc = reloc;
                char line[koddar::kLineSize];
                std::memset(line, '#', sizeof line);
                const std::int32_t next = koddar::Dasmtms7020(line, 0);
                koddar::buffer = nullptr;

                const std::string hexa = printf_hex_column(reloc, image, next);
                ASSERT_EQ(koddar::hexa, hexa) << opcode;
                const std::string expected = padded(padded(hexa, 15) + koddar::mnemo, 22) + koddar::param;
                ASSERT_EQ(line, expected) << "opcode " << opcode << " reloc " << reloc;
                ASSERT_EQ(koddar::line_size, expected.size());
            }
        }
    }
}

// Every register byte in a register position and an indirect one: the table's names, and
// past the table "R" and the number as "%u" prints it.
TEST(ListingLine, RegisterTextsOfEveryByte)
{
    for (unsigned n = 0; n < 256; ++n) {
        unsigned char image[4] = {0xD2, static_cast<unsigned char>(n)};  // DEC register
        koddar::buffer = image;
        koddar::loaded_length = 2;
        koddar::reloc = 0;
        char line[koddar::kLineSize];
        koddar::Dasmtms7020(line, 0);
        const std::string name = koddar::param;
        image[0] = 0x9A;  // LDA indirect
        koddar::Dasmtms7020(line, 0);
        koddar::buffer = nullptr;
        EXPECT_EQ(koddar::param, "*" + name) << n;
        if (n >= 36) {
            char printed[8];
            std::snprintf(printed, sizeof printed, "R%u", n);
            EXPECT_EQ(name, printed) << n;
        } else {
            EXPECT_FALSE(name.empty()) << n;
        }
    }
}

// The label line written in place against the one a Line builds, for addresses and sources of
// four digits and wider, names of every length a map allows and more, and every number of
// references up to past the few shown: equal where it writes one, nothing where it does not.
TEST(ListingLine, LabelLineInPlaceEqualsTheBuiltOne)
{
    const std::int32_t addresses[] = {0, 0x15, 0xFFFF, 0x10000, -1};
    const std::int32_t sources[] = {0x13, 0xF000, 0xFFFF, 0x12345, -2};
    const std::size_t name_sizes[] = {1, 5, 6, 7, koddar::kMaxNameLength, koddar::kMaxNameLength + 1};
    for (const std::int32_t address : addresses)
        for (const std::size_t name_size : name_sizes)
            for (std::size_t count = 0; count <= 6; ++count)
                for (const std::int32_t source : sources) {
                    const std::string name(name_size, 'N');
                    std::vector<koddar::Ref> refs;
                    for (std::size_t i = 0; i < count; ++i)
                        refs.push_back({address, i == count / 2 ? source : static_cast<std::int32_t>(0x100 + i)});
                    koddar::Line line;
                    koddar::label_line(line, address, name.data(), name.size(), refs.data(), count);
                    char out[koddar::kMappedLineSize];
                    const std::size_t n =
                        koddar::write_label_line(out, address, name.data(), name.size(), refs.data(), count);
                    const bool four = static_cast<std::uint32_t>(address) <= 0xFFFF &&
                                      (count == 0 || static_cast<std::uint32_t>(source) <= 0xFFFF);
                    const bool in_place = four && name_size <= koddar::kMaxNameLength && count <= 4;
                    EXPECT_EQ(in_place ? std::string(line.text(), line.size()) : std::string(), std::string(out, n))
                        << "address " << address << ", name of " << name_size << ", " << count << " references";
                }
}
