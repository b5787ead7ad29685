// The assembler's library: one table of lines and the bytes they assemble to, and one table of
// errors with their exact messages and positions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assembler.h"

namespace {

std::string hex(const std::vector<unsigned char>& bytes)
{
    std::string out;
    char two[3];
    for (unsigned char b : bytes) {
        std::snprintf(two, sizeof two, "%02x", b);
        out += two;
    }
    return out;
}

struct Case {
    const char* source;
    const char* bytes;  // lower-case hex of what is assembled from the first address on
};

// Each source starts at address 0 unless it says otherwise.
const Case kCases[] = {
    // The listing's own forms.
    {" MOV SUICOM-1,SUICOM", "420506"},
    {" MOV %$FF,VALUE1", "72ff04"},
    {" MOVD VALUE0,VALUE1", "980304"},
    {" MOVD %$1234,SUICOM-1", "88123405"},
    {" MOVD @$F000(B),R36", "a8f00024"},
    {" LDA @$F01A(B)", "aaf01a"},
    {" LDA @$F000", "8af000"},
    {" CALL *RAMADR", "9e22"},
    {" BR $F000", "8cf000"},
    {" PUSH ST\n POP ST", "0e08"},
    {" TRAP 23\n TRAP 0", "e8ff"},
    {" MOVP P255,A", "80ff"},
    {" MOVP P46,A", "802e"},
    {" ANDP %$0F,P46", "a30f2e"},
    {" WVDP A\n WVDP B\n WVDP %$41", "822e922ea2412e"},
    {" MOVP A,P46", "822e"},
    {" LVDP R46", "d72e"},
    {" TSTA\n CLRC\n TSTB", "b0b0c1"},
    {" ORG $1000\n BTJO %$01,A,$1001", "2601fe"},
    {" ORG $2000\n BTJOP A,P46,$2005", "862e02"},
    {" ORG $1000\n JMP $1081\n", "e07f"},
    {" ORG $1000\n JMP $0F82\n", "e080"},
    {" JMP $FF82", "e080"},  // the program counter wraps at 16 bits
    {" ORG $FFFE\n JMP $007F", "e07f"},
    {" JMP $", "e0fe"},
    // A and B: the built-in forms first, the register where there is none, R0 and R1 always a register.
    {" MOV B,A", "62"},
    {" MOV A,B", "c0"},
    {" MOV R1,A", "1201"},
    {" MOV A,A", "1200"},
    {" MOV A,R0", "d000"},
    {" MOV R0,R1", "420001"},
    {" MOVD VALUE0,A", "980300"},
    {" INC A\n INC R0\n INC b", "b3d300c3"},
    {" DJNZ A,$\n DJNZ R0,$", "bafeda00fd"},
    // Aliases of the jumps.
    {" JN $\n JZ $\n JC $\n JP $\n JPZ $\n JNZ $\n JNC $", "e1fee2fee3fee4fee5fee6fee7fe"},
    {" JLT $\n JEQ $\n JHS $\n JGT $\n JGE $\n JNE $\n JL $", "e1fee2fee3fee4fee5fee6fee7fe"},
    // Labels, EQU, expressions and numbers.
    {"START: JMP END\n NOP\nEND: JMP START", "e001 00e0fb"},
    {"X EQU $1234\n MOVD %X,R2\n MOV %>X,A\n MOV %<X,B", "88123402 2212 5234"},
    {"X: EQU 10+0x10-(2+3)\n MOV %X,A", "2215"},
    {" MOV %-1,A\n MOV %255,A", "22ff 22ff"},
    {"COUNT EQU R3\nVDP EQU P46\n DEC COUNT\n MOVP A,VDP", "d203 822e"},
    {"HERE EQU LATER+1\n ORG $F000\nLATER: LDA @HERE", "8af001"},
    {" BYTE 1,$02,0x3,\"AB;\"\n WORD $1234,-1", "0102034142 3b1234ffff"},
    {" TEXT \"Hi\",13 ; comment\n", "48690d"},
    {"loop: nop ; lower case mnemonics and registers\n mov %1,valuE0\n jmp loop", "00 720103 e0fa"},
    {"\tORG\t$F000\r\n\tNOP\r\n", "00"},
    {"START: ORG $F000\n BR START", "8cf000"},
    // ORG blocks: the gap between them holds $FF.
    {" ORG 0\n NOP\n ORG 3\n NOP", "00ffff00"},
};

class Lines : public testing::TestWithParam<Case> {};

TEST_P(Lines, AssembleToTheirBytes)
{
    const Case& c = GetParam();
    const kodasm::Assembly a = kodasm::assemble(c.source);
    ASSERT_TRUE(a.errors.empty()) << kodasm::format_errors("t", c.source, a.errors);
    std::string want = c.bytes;
    want.erase(std::remove(want.begin(), want.end(), ' '), want.end());
    EXPECT_EQ(hex(a.bytes), want) << c.source;
}

INSTANTIATE_TEST_SUITE_P(Table, Lines, testing::ValuesIn(kCases));

struct ErrorCase {
    const char* source;
    const char* report;  // what format_errors prints for the file "t.asm"
};

const ErrorCase kErrors[] = {
    {" MOVX A,B", "t.asm:1:2: unknown mnemonic 'MOVX'.\n MOVX A,B\n ^\n"},
    {" ????", "t.asm:1:2: expected a label or a mnemonic.\n ????\n ^\n"},
    {" JMP NOWHERE", "t.asm:1:6: undefined label 'NOWHERE'.\n JMP NOWHERE\n     ^\n"},
    {"X: NOP\nX: NOP", "t.asm:2:1: duplicate label 'X', first defined on line 1.\nX: NOP\n^\n"},
    {" MOV %256,A", "t.asm:1:6: value 256 does not fit 8 bits (-128 to 255).\n MOV %256,A\n     ^\n"},
    {" MOV %-129,A", "t.asm:1:6: value -129 does not fit 8 bits (-128 to 255).\n MOV %-129,A\n     ^\n"},
    {" BR $10000", "t.asm:1:5: value 65536 does not fit 16 bits (-32768 to 65535).\n BR $10000\n    ^\n"},
    {" WORD 70000", "t.asm:1:7: value 70000 does not fit 16 bits (-32768 to 65535).\n WORD 70000\n      ^\n"},
    {" JMP $82",
     "t.asm:1:6: branch target $0082 is out of reach: 128 bytes away, the limit is -128 to 127.\n JMP $82\n     ^\n"},
    {" ORG $100\n\tJMP $7F",
     "t.asm:2:6: branch target $007F is out of reach: -131 bytes away, the limit is -128 to 127.\n\tJMP $7F\n\t    "
     "^\n"},
    {" MOV %1,%2", "t.asm:1:2: no form of MOV takes these operands.\n MOV %1,%2\n ^\n"},
    {" LVDP", "t.asm:1:2: no form of LVDP takes these operands.\n LVDP\n ^\n"},
    {" TRAP 24", "t.asm:1:7: TRAP numbers go from 0 to 23.\n TRAP 24\n      ^\n"},
    {" WVDP A,B", "t.asm:1:2: WVDP takes one operand: A, B or an immediate byte.\n WVDP A,B\n ^\n"},
    {" MOV A B", "t.asm:1:8: expected ',' or the end of the line.\n MOV A B\n       ^\n"},
    {" MOV %(1,A", "t.asm:1:9: expected ')'.\n MOV %(1,A\n        ^\n"},
    {" MOV %,A", "t.asm:1:7: expected a value, found ','.\n MOV %,A\n      ^\n"},
    {" MOV %$1G,A", "t.asm:1:7: bad number '$1G'.\n MOV %$1G,A\n      ^\n"},
    {" BR $100000000", "t.asm:1:5: number too large.\n BR $100000000\n    ^\n"},
    {" BR VALUE0+1", "t.asm:1:2: no form of BR takes these operands.\n BR VALUE0+1\n ^\n"},
    {"R5: NOP", "t.asm:1:1: 'R5' is a register name and cannot be a label.\nR5: NOP\n^\n"},
    {" BYTE \"AB", "t.asm:1:7: string without its closing quote.\n BYTE \"AB\n      ^\n"},
    {" ORG LATER\nLATER: NOP", "t.asm:1:6: ORG needs a value defined on an earlier line.\n ORG LATER\n     ^\n"},
    {" ORG $FFFF\n MOVD %1,R2", "t.asm:2:2: the line does not fit below $10000.\n MOVD %1,R2\n ^\n"},
    {" ORG 0\n NOP\n ORG 0\n NOP", "t.asm:4:2: address $0000 is already assembled, on line 2.\n NOP\n ^\n"},
    {"X EQU Y\nY EQU X\n NOP",
     "t.asm:1:7: label 'Y' has no value: its definition depends on itself.\nX EQU Y\n      ^\n"
     "t.asm:2:7: label 'X' has no value: its definition depends on itself.\nY EQU X\n      ^\n"},
    {" DEC C\nC EQU R3",
     "t.asm:1:6: undefined label 'C'.\n DEC C\n     ^\n"
     "t.asm:2:1: register name 'C' is used before its EQU.\nC EQU R3\n^\n"},
    {" ; nothing", "t.asm: nothing to assemble.\n"},
    // Every fault is reported, each once, in line order.
    {" NOP X\n JMP Y\n MOVX",
     "t.asm:1:2: no form of NOP takes these operands.\n NOP X\n ^\n"
     "t.asm:2:6: undefined label 'Y'.\n JMP Y\n     ^\n"
     "t.asm:3:2: unknown mnemonic 'MOVX'.\n MOVX\n ^\n"},
};

class Errors : public testing::TestWithParam<ErrorCase> {};

TEST_P(Errors, AreReportedWithTheirPosition)
{
    const ErrorCase& c = GetParam();
    const kodasm::Assembly a = kodasm::assemble(c.source);
    EXPECT_TRUE(a.bytes.empty());
    EXPECT_EQ(kodasm::format_errors("t.asm", c.source, a.errors), c.report);
}

INSTANTIATE_TEST_SUITE_P(Table, Errors, testing::ValuesIn(kErrors));

}  // namespace
