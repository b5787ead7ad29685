// One instruction in, its hex column, mnemonic, operand column and next offset out. Every
// register, port, TRAP, video and undefined form is pinned by the golden listings in
// tests/golden; these rows are the worked lines, the operand forms and the edges.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "decoder.h"
#include "processor.h"

namespace {

using koddar::Dasmtms7020;

struct Decoded {
    std::string line, hexa, mnemo, param;
    std::int32_t next;
};

// Decodes the instruction at `offset` of an image whose first `loaded` bytes are loaded
// (all of them when loaded is -1); the rest of `bytes` must never be read.
Decoded decode(std::vector<unsigned char> bytes, std::int32_t reloc, std::int32_t offset = 0, std::int32_t loaded = -1)
{
    koddar::buffer = bytes.data();
    koddar::loaded_length = loaded < 0 ? static_cast<std::int32_t>(bytes.size()) : loaded;
    koddar::reloc = reloc;
    char line[koddar::kLineSize];
    const std::int32_t next = Dasmtms7020(line, offset);
    Decoded d{line, koddar::hexa, koddar::mnemo, koddar::param, next};
    koddar::buffer = nullptr;
    return d;
}

struct Row {
    std::vector<unsigned char> bytes;
    std::int32_t reloc;
    const char* hexa;
    const char* mnemo;
    const char* param;
    std::int32_t next;
};

void PrintTo(const Row& r, std::ostream* os)
{
    *os << r.hexa;
}

class InstructionForms : public testing::TestWithParam<Row> {};

TEST_P(InstructionForms, DecodesToTheExpectedColumns)
{
    const Row& r = GetParam();
    const Decoded d = decode(r.bytes, r.reloc);
    EXPECT_EQ(d.hexa, r.hexa);
    EXPECT_EQ(d.mnemo, r.mnemo);
    EXPECT_EQ(d.param, r.param);
    EXPECT_EQ(d.next, r.next);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(WorkedLines, InstructionForms, testing::Values(
    Row{{0x00}, 0, "0000 00", "NOP", "", 1},
    Row{{0x42, 0x05, 0x06}, 0xF000, "F000 420506", "MOV", "SUICOM-1,SUICOM", 3},
    Row{{0x26, 0x01, 0xFE}, 0x1000, "1000 2601fe", "BTJO", "%$01,A,$1001", 3},
    Row{{0x88, 0x12, 0x34, 0x05}, 0x1000, "1000 88123405", "MOVD", "%$1234,SUICOM-1", 4},
    Row{{0xE8}, 0x1000, "1000 e8", "TRAP", "23", 1},
    Row{{0x02, 0x00}, 0x1000, "1000 02", "????", "", 1},
    Row{{0xB7, 0x00}, 0x1000, "1000 b7", "????", "A", 1},
    Row{{0xC7, 0x00}, 0x1000, "1000 c7", "????", "B", 1},
    Row{{0xD7, 0x2E}, 0x1000, "1000 d72e", "LVDP", "", 2},
    Row{{0x82, 0x2E}, 0x1000, "1000 822e", "WVDP", "A", 2}));
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(OperandKinds, InstructionForms, testing::Values(
    // registers 0 and 1 share their names with the accumulators
    Row{{0x12, 0x00}, 0, "0000 1200", "MOV", "A,A", 2},
    Row{{0x12, 0x01}, 0, "0000 1201", "MOV", "B,A", 2},
    Row{{0x72, 0xFF, 0x04}, 0, "0000 72ff04", "MOV", "%$FF,VALUE1", 3},
    Row{{0x98, 0x03, 0x04}, 0, "0000 980304", "MOVD", "VALUE0,VALUE1", 3},
    Row{{0x80, 0x00}, 0, "0000 8000", "MOVP", "P0,A", 2},
    Row{{0x80, 0xFF}, 0, "0000 80ff", "MOVP", "P255,A", 2},
    Row{{0x22, 0x0A}, 0, "0000 220a", "MOV", "%$0A,A", 2},
    Row{{0x8E, 0xF0, 0x00}, 0, "0000 8ef000", "CALL", "$F000", 3},
    Row{{0x8C, 0x00, 0x0F}, 0, "0000 8c000f", "BR", "$000F", 3},
    Row{{0x8A, 0xF0, 0x00}, 0, "0000 8af000", "LDA", "@$F000", 3},
    Row{{0x8D, 0x00, 0x01}, 0, "0000 8d0001", "CMPA", "@$0001", 3},
    Row{{0xAA, 0xF0, 0x00}, 0, "0000 aaf000", "LDA", "@$F000(B)", 3},
    Row{{0xA8, 0xF0, 0x00, 0x03}, 0, "0000 a8f00003", "MOVD", "@$F000(B),VALUE0", 4},
    Row{{0x9E, 0x22}, 0, "0000 9e22", "CALL", "*RAMADR", 2},
    Row{{0x9B, 0x05}, 0, "0000 9b05", "STA", "*SUICOM-1", 2},
    Row{{0x08}, 0, "0000 08", "POP", "ST", 1},
    Row{{0x0E}, 0, "0000 0e", "PUSH", "ST", 1},
    Row{{0x62}, 0, "0000 62", "MOV", "B,A", 1},
    Row{{0x66, 0x01}, 0x1000, "1000 6601", "BTJO", "B,A,$1003", 2},
    Row{{0x5D, 0x80}, 0, "0000 5d80", "CMP", "%$80,B", 2},
    Row{{0x3A, 0x10}, 0, "0000 3a10", "SUB", "TEMP2,B", 2},
    Row{{0xB0}, 0, "0000 b0", "TSTA", "", 1},
    Row{{0xC1}, 0, "0000 c1", "TSTB", "", 1},
    Row{{0xC0}, 0, "0000 c0", "MOV", "A,B", 1},
    Row{{0xD0, 0x0A}, 0, "0000 d00a", "MOV", "A,PTRSON", 2},
    Row{{0xD1, 0x0C}, 0, "0000 d10c", "MOV", "B,SONFON", 2},
    Row{{0xB2}, 0, "0000 b2", "DEC", "A", 1},
    Row{{0xCF}, 0, "0000 cf", "RLC", "B", 1},
    Row{{0xDA, 0x03, 0xFD}, 0x2000, "2000 da03fd", "DJNZ", "VALUE0,$2000", 3},
    Row{{0xBA, 0xFD}, 0x2000, "2000 bafd", "DJNZ", "A,$1FFF", 2},
    // the longest operand column of a four-digit target: 23 characters
    Row{{0x47, 0x1F, 0x21, 0xFB}, 0x1000, "1000 471f21fb", "BTJZ", "TEMP10-1,RAMADR-1,$0FFF", 4},
    Row{{0xA7, 0x01, 0x2E, 0x00}, 0, "0000 a7012e00", "BTJZP", "%$01,P46,$0004", 4}));
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(BranchTargets, InstructionForms, testing::Values(
    Row{{0xE0, 0x7F}, 0x1000, "1000 e07f", "JMP", "$1081", 2},
    Row{{0xE0, 0x80}, 0x1000, "1000 e080", "JMP", "$0F82", 2},
    Row{{0xE0, 0xFE}, 0x1000, "1000 e0fe", "JMP", "$1000", 2},
    Row{{0xE2, 0x00}, 0x1000, "1000 e200", "JEQ", "$1002", 2},
    // a target before address 0 prints as a 32-bit two's complement
    Row{{0xE0, 0x80}, 0, "0000 e080", "JMP", "$FFFFFF82", 2},
    // targets are never cut to 16 bits
    Row{{0xE7, 0x7F}, 0xFFF0, "FFF0 e77f", "JL", "$10071", 2},
    Row{{0xE0, 0x10}, 0x7FFFFFF0, "7FFFFFF0 e010", "JMP", "$80000002", 2},
    Row{{0xE0, 0xFE}, -0x1000, "FFFFF000 e0fe", "JMP", "$FFFFF000", 2}));
// clang-format on

// Addresses and the column layout of whole lines.
struct LineRow {
    std::vector<unsigned char> bytes;
    std::int32_t reloc;
    std::int32_t offset;
    std::string line;
    std::int32_t next;
};

std::string blanks(std::size_t n)
{
    return std::string(n, ' ');
}

void PrintTo(const LineRow& r, std::ostream* os)
{
    *os << r.line;
}

class LineLayout : public testing::TestWithParam<LineRow> {};

TEST_P(LineLayout, PadsMnemonicAndOperandColumns)
{
    const LineRow& r = GetParam();
    const Decoded d = decode(r.bytes, r.reloc, r.offset);
    EXPECT_EQ(d.line, r.line);
    EXPECT_EQ(d.next, r.next);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Columns, LineLayout, testing::Values(
    // blanks run up to column 22 even with no operand
    LineRow{{0x00}, 0, 0, "0000 00" + blanks(8) + "NOP" + blanks(4), 1},
    LineRow{{0x42, 0x05, 0x06}, 0xF000, 0,
            "F000 420506" + blanks(4) + "MOV" + blanks(4) + "SUICOM-1,SUICOM", 3},
    LineRow{{0x88, 0x12, 0x34, 0x05}, 0x1000, 0,
            "1000 88123405" + blanks(2) + "MOVD" + blanks(3) + "%$1234,SUICOM-1", 4},
    LineRow{{0x0A, 0x00, 0x00, 0x0B}, 0xF000, 3, "F003 0b" + blanks(8) + "RETI" + blanks(3), 4},
    // a five-digit address takes one blank from the padding
    LineRow{{0x88, 0x12, 0x34, 0x05}, 0x10000, 0,
            "10000 88123405" + blanks(1) + "MOVD" + blanks(3) + "%$1234,SUICOM-1", 4},
    LineRow{{0x00}, 0xFFFFF, 0, "FFFFF 00" + blanks(7) + "NOP" + blanks(4), 1},
    // eight digits: a hex column of 15 or more is followed directly by the mnemonic
    LineRow{{0x00}, -16, 0, "FFFFFFF0 00" + blanks(4) + "NOP" + blanks(4), 1},
    LineRow{{0x42, 0x05, 0x06}, -0x1000, 0, "FFFFF000 420506MOV" + blanks(4) + "SUICOM-1,SUICOM", 3},
    LineRow{{0x88, 0x12, 0x34, 0x05}, -0x1000, 0, "FFFFF000 88123405MOVD %$1234,SUICOM-1", 4},
    // the longest line: 49 characters
    LineRow{{0x47, 0x1F, 0x21, 0xFB}, -0x1000, 0, "FFFFF000 471f21fbBTJZ TEMP10-1,RAMADR-1,$FFFFEFFF", 4},
    // address sums wrap modulo 2^32
    LineRow{{0x00, 0x00}, 0x7FFFFFFF, 1, "80000000 00" + blanks(4) + "NOP" + blanks(4), 2}));
// clang-format on

TEST(LineLayout, LongestLineIsFortyNineCharacters)
{
    const Decoded d = decode({0x47, 0x1F, 0x21, 0xFB}, -0x1000);
    EXPECT_EQ(d.line.size(), 49u);
    EXPECT_EQ(d.param.size(), 27u);
}

// Bytes past the loaded data read as 0x00, whatever the store holds there.
struct PastDataRow {
    std::vector<unsigned char> bytes;
    std::int32_t loaded;
    std::int32_t offset;
    const char* hexa;
    const char* param;
};

void PrintTo(const PastDataRow& r, std::ostream* os)
{
    *os << r.hexa;
}

class PastLoadedData : public testing::TestWithParam<PastDataRow> {};

TEST_P(PastLoadedData, ReadsZeroBytes)
{
    const PastDataRow& r = GetParam();
    const Decoded d = decode(r.bytes, 0, r.offset, r.loaded);
    EXPECT_EQ(d.hexa, r.hexa);
    EXPECT_EQ(d.param, r.param);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CutShort, PastLoadedData, testing::Values(
    PastDataRow{{0x88, 0x12, 0x34, 0x05}, 2, 0, "0000 88120000", "%$1200,A"},
    PastDataRow{{0x88, 0x12, 0x34, 0x05}, 1, 0, "0000 88000000", "%$0000,A"},
    PastDataRow{{0x47, 0x1F, 0x21, 0xFB}, 3, 0, "0000 471f2100", "TEMP10-1,RAMADR-1,$0004"},
    PastDataRow{{0x42, 0x05, 0x06}, 0, 0, "0000 00", ""}));
// clang-format on

TEST(PastLoadedData, NothingIsReadBeyondTheImageSize)
{
    std::vector<unsigned char> image(koddar::kImageSize + 4, 0xFF);
    image[koddar::kImageSize - 1] = 0x88;
    const Decoded d = decode(image, 0, koddar::kImageSize - 1, koddar::kImageSize + 4);
    EXPECT_EQ(d.hexa, "FFFF 88000000");
    EXPECT_EQ(d.param, "%$0000,A");
    EXPECT_EQ(d.next, koddar::kImageSize + 3);
}

TEST(Mgetc, ReturnsSignedBytesAndZeroOutsideTheImage)
{
    std::vector<unsigned char> image{0x7F, 0x80, 0xFF};
    koddar::buffer = image.data();
    koddar::loaded_length = 3;
    EXPECT_EQ(koddar::Mgetc(0), 127);
    EXPECT_EQ(koddar::Mgetc(1), -128);
    EXPECT_EQ(koddar::Mgetc(2), -1);
    EXPECT_EQ(koddar::Mgetc(3), 0);
    EXPECT_EQ(koddar::Mgetc(-1), 0);
    EXPECT_EQ(koddar::Mgetc(INT32_MIN), 0);
    koddar::buffer = nullptr;
}

}  // namespace

// The listings write each line with a four-digit address in place, by a writer made for its
// opcode's operand kinds; it must give Dasmtms7020's line and next offset for every opcode and
// every value of each operand byte, with bytes cut off, and never write past its line. A wider
// address is left to Dasmtms7020: nothing is written.
struct PlainRow {
    std::int32_t reloc;
    std::int32_t offset;  // of the instruction in a 0x10000-byte store
    std::int32_t loaded;
};

class PlainLine : public testing::TestWithParam<PlainRow> {};

TEST_P(PlainLine, IsTheDecodedLineForEveryOpcodeAndOperandByte)
{
    const PlainRow& r = GetParam();
    std::vector<unsigned char> image(0x10000, 0xA5);
    koddar::buffer = image.data();
    koddar::loaded_length = r.loaded;
    koddar::reloc = r.reloc;
    const bool wide = static_cast<std::uint32_t>(r.reloc) + static_cast<std::uint32_t>(r.offset) > 0xFFFF;
    int mismatches = 0;
    for (std::size_t cpu = 0; cpu < std::size(koddar::processors); ++cpu) {
        koddar::processor = cpu;  // the fast writer of each processor against its decoded line
        for (unsigned opcode = 0; opcode < 256 && mismatches < 5; ++opcode) {
            for (unsigned spot = 1; spot <= 3; ++spot) {
                for (unsigned v = 0; v < 256; ++v) {
                    const auto at = static_cast<std::size_t>(r.offset);
                    image[at] = static_cast<unsigned char>(opcode);
                    for (unsigned k = 1; k <= 3 && at + k < image.size(); ++k)
                        image[at + k] = static_cast<unsigned char>(k == spot ? v : v * 37 + k * 101);
                    char expected[koddar::kLineSize];
                    const std::int32_t next = Dasmtms7020(expected, r.offset);
                    char line[koddar::kLineSize + 8];
                    std::memset(line, '#', sizeof line);
                    koddar::a = -1;
                    const std::size_t size = koddar::write_four_digit_line(line, koddar::kLineSize, r.offset);
                    const bool same = size == 0
                                          ? std::string(line, sizeof line) == std::string(sizeof line, '#') && wide
                                          : std::string(line, size) == expected && koddar::a == next && !wide &&
                                                std::string(line + koddar::kLineSize - 1, 9) == std::string(9, '#');
                    if (!same && ++mismatches <= 5)
                        ADD_FAILURE() << koddar::processors[cpu].name << " opcode " << opcode << " byte " << spot
                                      << " = " << v << ": \"" << std::string(line, size) << "\" for \"" << expected
                                      << "\"";
                }
            }
        }
    }
    koddar::processor = koddar::kTargetProcessor;
    koddar::buffer = nullptr;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Addresses, PlainLine, testing::Values(
    PlainRow{0, 0x100, 0x10000},
    PlainRow{0xF000, 0x0FFC, 0x10000},   // branch targets past FFFF
    PlainRow{0, 0xFFFF, 0x10000},        // the last byte of the image: operands read as 0
    PlainRow{1, 0xFFFE, 0x10000},        // FFFF: the last four-digit address
    PlainRow{2, 0xFFFE, 0x10000},        // 10000: five digits
    PlainRow{-0x10, 0x20, 0x10000},      // 0010, and a negative address before it
    PlainRow{-0x1000, 0x10, 0x10000},    // eight digits
    PlainRow{0, 0x200, 0x202}));         // the loaded data ends inside the instruction
// clang-format on
