// Walks all 256 opcodes through the decoder and holds each against grids typed from the
// instruction set tables: instruction length and mnemonic per opcode.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "decoder.h"
#include "opcode_map.h"

namespace {

// Instruction length in bytes; row = high nibble, column = low nibble.
// clang-format off
constexpr int kLength[16][16] = {
    // 0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},  // 0x
    {1, 1, 2, 2, 2, 2, 3, 3, 2, 2, 2, 2, 2, 2, 2, 2},  // 1x  Rn,A
    {1, 1, 2, 2, 2, 2, 3, 3, 2, 2, 2, 2, 2, 2, 2, 2},  // 2x  %n,A
    {1, 1, 2, 2, 2, 2, 3, 3, 2, 2, 2, 2, 2, 2, 2, 2},  // 3x  Rn,B
    {1, 1, 3, 3, 3, 3, 4, 4, 3, 3, 3, 3, 3, 3, 3, 3},  // 4x  Rn,Rn
    {1, 1, 2, 2, 2, 2, 3, 3, 2, 2, 2, 2, 2, 2, 2, 2},  // 5x  %n,B
    {1, 1, 1, 1, 1, 1, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1},  // 6x  B,A
    {1, 1, 3, 3, 3, 3, 4, 4, 3, 3, 3, 3, 3, 3, 3, 3},  // 7x  %n,Rn
    {2, 1, 2, 2, 2, 2, 3, 3, 4, 1, 3, 3, 3, 3, 3, 1},  // 8x
    {1, 2, 2, 2, 2, 2, 3, 3, 3, 1, 2, 2, 2, 2, 2, 1},  // 9x
    {1, 1, 3, 3, 3, 3, 4, 4, 4, 1, 3, 3, 3, 3, 3, 1},  // Ax
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 1, 1},  // Bx
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 1, 1},  // Cx
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 2, 2, 2, 2, 2},  // Dx
    {2, 2, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1},  // Ex
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},  // Fx
};
// clang-format on

// Mnemonic per opcode; "?" stands for "????".
// clang-format off
const char* const kMnemonic[16][16] = {
    {"NOP", "IDLE", "?", "?", "?", "EINT", "DINT", "SETC", "POP", "STSP", "RETS", "RETI", "?", "LDSP", "PUSH", "?"},
    {"?", "?", "MOV", "AND", "OR", "XOR", "BTJO", "BTJZ", "ADD", "ADC", "SUB", "SBB", "MPY", "CMP", "DAC", "DSB"},
    {"?", "?", "MOV", "AND", "OR", "XOR", "BTJO", "BTJZ", "ADD", "ADC", "SUB", "SBB", "MPY", "CMP", "DAC", "DSB"},
    {"?", "?", "MOV", "AND", "OR", "XOR", "BTJO", "BTJZ", "ADD", "ADC", "SUB", "SBB", "MPY", "CMP", "DAC", "DSB"},
    {"?", "?", "MOV", "AND", "OR", "XOR", "BTJO", "BTJZ", "ADD", "ADC", "SUB", "SBB", "MPY", "CMP", "DAC", "DSB"},
    {"?", "?", "MOV", "AND", "OR", "XOR", "BTJO", "BTJZ", "ADD", "ADC", "SUB", "SBB", "MPY", "CMP", "DAC", "DSB"},
    {"?", "?", "MOV", "AND", "OR", "XOR", "BTJO", "BTJZ", "ADD", "ADC", "SUB", "SBB", "MPY", "CMP", "DAC", "DSB"},
    {"?", "?", "MOV", "AND", "OR", "XOR", "BTJO", "BTJZ", "ADD", "ADC", "SUB", "SBB", "MPY", "CMP", "DAC", "DSB"},
    {"MOVP", "?", "MOVP", "ANDP", "ORP", "XORP", "BTJOP", "BTJZP", "MOVD", "?", "LDA", "STA", "BR", "CMPA", "CALL", "?"},
    {"?", "MOVP", "MOVP", "ANDP", "ORP", "XORP", "BTJOP", "BTJZP", "MOVD", "?", "LDA", "STA", "BR", "CMPA", "CALL", "?"},
    {"?", "?", "MOVP", "ANDP", "ORP", "XORP", "BTJOP", "BTJZP", "MOVD", "?", "LDA", "STA", "BR", "CMPA", "CALL", "?"},
    {"TSTA", "?", "DEC", "INC", "INV", "CLR", "XCHB", "?", "PUSH", "POP", "DJNZ", "DECD", "RR", "RRC", "RL", "RLC"},
    {"MOV", "TSTB", "DEC", "INC", "INV", "CLR", "XCHB", "?", "PUSH", "POP", "DJNZ", "DECD", "RR", "RRC", "RL", "RLC"},
    {"MOV", "MOV", "DEC", "INC", "INV", "CLR", "XCHB", "LVDP", "PUSH", "POP", "DJNZ", "DECD", "RR", "RRC", "RL", "RLC"},
    {"JMP", "JLT", "JEQ", "JHS", "JGT", "JGE", "JNE", "JL", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP"},
    {"TRAP", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP", "TRAP"},
};
// clang-format on

TEST(OpcodeMap, EveryOpcodeHasItsLengthAndMnemonic)
{
    int undefined = 0;
    // Each opcode followed by three zero bytes: register A, port 0, displacement 0.
    std::vector<unsigned char> image{0, 0, 0, 0};
    koddar::buffer = image.data();
    for (int opcode = 0; opcode < 256; ++opcode) {
        image[0] = static_cast<unsigned char>(opcode);
        koddar::loaded_length = 4;
        koddar::reloc = 0;
        char line[koddar::kLineSize];
        const int next = koddar::Dasmtms7020(line, 0);
        const std::string expected = kMnemonic[opcode >> 4][opcode & 15];
        SCOPED_TRACE(testing::Message() << "opcode " << std::hex << opcode << ": " << line);
        EXPECT_EQ(next, kLength[opcode >> 4][opcode & 15]);
        EXPECT_EQ(std::string(koddar::mnemo), expected == "?" ? "????" : expected);
        EXPECT_EQ(std::strlen(koddar::hexa), 5 + 2u * next);
        if (expected == "?") {
            ++undefined;
            const bool carries_register = opcode == 0xB7 || opcode == 0xC7;
            EXPECT_EQ(std::string(koddar::param), carries_register ? (opcode == 0xB7 ? "A" : "B") : "");
        }
        if (opcode >= 0xE8) {
            EXPECT_EQ(std::string(koddar::param), std::to_string(255 - opcode));
        }
    }
    EXPECT_EQ(undefined, 32);  // the 30 undefined opcodes, B7 and C7
    koddar::buffer = nullptr;
}

}  // namespace
