// The vocabulary the decoder and the operand formatter share: operand kind codes, the
// mnemonic table `name` and the 256-entry opcode map.
#pragma once

#include <cstdint>
#include <iterator>

namespace koddar {

// Operand kind codes. A code from 0 to 23 is no kind but a number printed in decimal
// (TRAP numbers), which is why the kinds start at 24.
enum Kind : std::uint8_t {
    K_NONE = 24,  // no operand in this position
    K_A,          // register A
    K_B,          // register B
    K_REG,        // one register-file byte, printed by its name
    K_PORT,       // one peripheral port byte
    K_IMM8,       // one immediate byte
    K_IMM16,      // immediate word, high byte first
    K_ADDR,       // 16-bit address printed without "@" (BR, CALL)
    K_DIRECT,     // 16-bit address printed with "@"
    K_INDEXED,    // 16-bit address indexed by B
    K_INDIRECT,   // one register-file byte, printed as an indirect reference
    K_REL,        // signed displacement, printed as the branch target
    K_ST,         // the status register
};
static_assert(K_ST == 36);

// The mnemonic table in index order. Each mnemonic is written once: its index (enum Mnemonic)
// and its text (table `name`) are both made from this list, so the two cannot drift apart.
// UNDEF, the mnemonic of every undefined opcode, comes last with the text "????". SWAP is only
// in the family's standard map (family_map.h).
// clang-format off
#define KODDAR_MNEMONICS(X) \
    X(NOP) X(IDLE) X(EINT) X(DINT) X(SETC) X(STSP) X(RETS) X(RETI) X(LDSP) \
    X(MOV) X(AND) X(OR) X(XOR) X(BTJO) X(BTJZ) X(ADD) X(ADC) X(SUB) X(SBB) X(MPY) X(CMP) X(DAC) X(DSB) \
    X(MOVP) X(ANDP) X(ORP) X(XORP) X(BTJOP) X(BTJZP) \
    X(MOVD) X(LDA) X(STA) X(BR) X(CMPA) X(CALL) X(TSTA) X(TSTB) \
    X(DEC) X(INC) X(INV) X(CLR) X(XCHB) X(LVDP) X(PUSH) X(POP) X(DJNZ) X(DECD) X(RR) X(RRC) X(RL) X(RLC) \
    X(JMP) X(JLT) X(JEQ) X(JHS) X(JGT) X(JGE) X(JNE) X(JL) \
    X(TRAP) X(WVDP) X(SWAP)
// clang-format on

// Indexes into `name`.
enum Mnemonic : std::uint8_t {
#define KODDAR_MNEMONIC_ID(m) m,
    KODDAR_MNEMONICS(KODDAR_MNEMONIC_ID) UNDEF
#undef KODDAR_MNEMONIC_ID
};

inline constexpr const char* name[] = {
#define KODDAR_MNEMONIC_TEXT(m) #m,
    KODDAR_MNEMONICS(KODDAR_MNEMONIC_TEXT) "????"
#undef KODDAR_MNEMONIC_TEXT
};
static_assert(std::size(name) == 63 && UNDEF == 62 && SWAP == 61 && WVDP == 60 && LVDP == 42 && MOVP == 23);

// One opcode: its mnemonic and the kind codes of its first, second and third operand.
struct Opcode {
    std::uint8_t op;
    std::uint8_t p1, p2, p3;
};

// The target computer's opcode map, indexed by the opcode byte; every byte has its row,
// undefined ones included ("????" with no operand, except B7 and C7 which carry A and B: the
// operands of SWAP A and SWAP B, which the family's standard map has there). WVDP is never
// named here: the operand formatter turns MOVP to port 46 into it.
// clang-format off
inline constexpr Opcode opcode_map[] = {
    {NOP,   K_NONE,     K_NONE, K_NONE},  // $00
    {IDLE,  K_NONE,     K_NONE, K_NONE},  // $01
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $02
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $03
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $04
    {EINT,  K_NONE,     K_NONE, K_NONE},  // $05
    {DINT,  K_NONE,     K_NONE, K_NONE},  // $06
    {SETC,  K_NONE,     K_NONE, K_NONE},  // $07
    {POP,   K_ST,       K_NONE, K_NONE},  // $08
    {STSP,  K_NONE,     K_NONE, K_NONE},  // $09
    {RETS,  K_NONE,     K_NONE, K_NONE},  // $0A
    {RETI,  K_NONE,     K_NONE, K_NONE},  // $0B
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $0C
    {LDSP,  K_NONE,     K_NONE, K_NONE},  // $0D
    {PUSH,  K_ST,       K_NONE, K_NONE},  // $0E
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $0F
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $10
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $11
    {MOV,   K_REG,      K_A,    K_NONE},  // $12
    {AND,   K_REG,      K_A,    K_NONE},  // $13
    {OR,    K_REG,      K_A,    K_NONE},  // $14
    {XOR,   K_REG,      K_A,    K_NONE},  // $15
    {BTJO,  K_REG,      K_A,    K_REL },  // $16
    {BTJZ,  K_REG,      K_A,    K_REL },  // $17
    {ADD,   K_REG,      K_A,    K_NONE},  // $18
    {ADC,   K_REG,      K_A,    K_NONE},  // $19
    {SUB,   K_REG,      K_A,    K_NONE},  // $1A
    {SBB,   K_REG,      K_A,    K_NONE},  // $1B
    {MPY,   K_REG,      K_A,    K_NONE},  // $1C
    {CMP,   K_REG,      K_A,    K_NONE},  // $1D
    {DAC,   K_REG,      K_A,    K_NONE},  // $1E
    {DSB,   K_REG,      K_A,    K_NONE},  // $1F
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $20
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $21
    {MOV,   K_IMM8,     K_A,    K_NONE},  // $22
    {AND,   K_IMM8,     K_A,    K_NONE},  // $23
    {OR,    K_IMM8,     K_A,    K_NONE},  // $24
    {XOR,   K_IMM8,     K_A,    K_NONE},  // $25
    {BTJO,  K_IMM8,     K_A,    K_REL },  // $26
    {BTJZ,  K_IMM8,     K_A,    K_REL },  // $27
    {ADD,   K_IMM8,     K_A,    K_NONE},  // $28
    {ADC,   K_IMM8,     K_A,    K_NONE},  // $29
    {SUB,   K_IMM8,     K_A,    K_NONE},  // $2A
    {SBB,   K_IMM8,     K_A,    K_NONE},  // $2B
    {MPY,   K_IMM8,     K_A,    K_NONE},  // $2C
    {CMP,   K_IMM8,     K_A,    K_NONE},  // $2D
    {DAC,   K_IMM8,     K_A,    K_NONE},  // $2E
    {DSB,   K_IMM8,     K_A,    K_NONE},  // $2F
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $30
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $31
    {MOV,   K_REG,      K_B,    K_NONE},  // $32
    {AND,   K_REG,      K_B,    K_NONE},  // $33
    {OR,    K_REG,      K_B,    K_NONE},  // $34
    {XOR,   K_REG,      K_B,    K_NONE},  // $35
    {BTJO,  K_REG,      K_B,    K_REL },  // $36
    {BTJZ,  K_REG,      K_B,    K_REL },  // $37
    {ADD,   K_REG,      K_B,    K_NONE},  // $38
    {ADC,   K_REG,      K_B,    K_NONE},  // $39
    {SUB,   K_REG,      K_B,    K_NONE},  // $3A
    {SBB,   K_REG,      K_B,    K_NONE},  // $3B
    {MPY,   K_REG,      K_B,    K_NONE},  // $3C
    {CMP,   K_REG,      K_B,    K_NONE},  // $3D
    {DAC,   K_REG,      K_B,    K_NONE},  // $3E
    {DSB,   K_REG,      K_B,    K_NONE},  // $3F
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $40
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $41
    {MOV,   K_REG,      K_REG,  K_NONE},  // $42
    {AND,   K_REG,      K_REG,  K_NONE},  // $43
    {OR,    K_REG,      K_REG,  K_NONE},  // $44
    {XOR,   K_REG,      K_REG,  K_NONE},  // $45
    {BTJO,  K_REG,      K_REG,  K_REL },  // $46
    {BTJZ,  K_REG,      K_REG,  K_REL },  // $47
    {ADD,   K_REG,      K_REG,  K_NONE},  // $48
    {ADC,   K_REG,      K_REG,  K_NONE},  // $49
    {SUB,   K_REG,      K_REG,  K_NONE},  // $4A
    {SBB,   K_REG,      K_REG,  K_NONE},  // $4B
    {MPY,   K_REG,      K_REG,  K_NONE},  // $4C
    {CMP,   K_REG,      K_REG,  K_NONE},  // $4D
    {DAC,   K_REG,      K_REG,  K_NONE},  // $4E
    {DSB,   K_REG,      K_REG,  K_NONE},  // $4F
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $50
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $51
    {MOV,   K_IMM8,     K_B,    K_NONE},  // $52
    {AND,   K_IMM8,     K_B,    K_NONE},  // $53
    {OR,    K_IMM8,     K_B,    K_NONE},  // $54
    {XOR,   K_IMM8,     K_B,    K_NONE},  // $55
    {BTJO,  K_IMM8,     K_B,    K_REL },  // $56
    {BTJZ,  K_IMM8,     K_B,    K_REL },  // $57
    {ADD,   K_IMM8,     K_B,    K_NONE},  // $58
    {ADC,   K_IMM8,     K_B,    K_NONE},  // $59
    {SUB,   K_IMM8,     K_B,    K_NONE},  // $5A
    {SBB,   K_IMM8,     K_B,    K_NONE},  // $5B
    {MPY,   K_IMM8,     K_B,    K_NONE},  // $5C
    {CMP,   K_IMM8,     K_B,    K_NONE},  // $5D
    {DAC,   K_IMM8,     K_B,    K_NONE},  // $5E
    {DSB,   K_IMM8,     K_B,    K_NONE},  // $5F
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $60
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $61
    {MOV,   K_B,        K_A,    K_NONE},  // $62
    {AND,   K_B,        K_A,    K_NONE},  // $63
    {OR,    K_B,        K_A,    K_NONE},  // $64
    {XOR,   K_B,        K_A,    K_NONE},  // $65
    {BTJO,  K_B,        K_A,    K_REL },  // $66
    {BTJZ,  K_B,        K_A,    K_REL },  // $67
    {ADD,   K_B,        K_A,    K_NONE},  // $68
    {ADC,   K_B,        K_A,    K_NONE},  // $69
    {SUB,   K_B,        K_A,    K_NONE},  // $6A
    {SBB,   K_B,        K_A,    K_NONE},  // $6B
    {MPY,   K_B,        K_A,    K_NONE},  // $6C
    {CMP,   K_B,        K_A,    K_NONE},  // $6D
    {DAC,   K_B,        K_A,    K_NONE},  // $6E
    {DSB,   K_B,        K_A,    K_NONE},  // $6F
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $70
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $71
    {MOV,   K_IMM8,     K_REG,  K_NONE},  // $72
    {AND,   K_IMM8,     K_REG,  K_NONE},  // $73
    {OR,    K_IMM8,     K_REG,  K_NONE},  // $74
    {XOR,   K_IMM8,     K_REG,  K_NONE},  // $75
    {BTJO,  K_IMM8,     K_REG,  K_REL },  // $76
    {BTJZ,  K_IMM8,     K_REG,  K_REL },  // $77
    {ADD,   K_IMM8,     K_REG,  K_NONE},  // $78
    {ADC,   K_IMM8,     K_REG,  K_NONE},  // $79
    {SUB,   K_IMM8,     K_REG,  K_NONE},  // $7A
    {SBB,   K_IMM8,     K_REG,  K_NONE},  // $7B
    {MPY,   K_IMM8,     K_REG,  K_NONE},  // $7C
    {CMP,   K_IMM8,     K_REG,  K_NONE},  // $7D
    {DAC,   K_IMM8,     K_REG,  K_NONE},  // $7E
    {DSB,   K_IMM8,     K_REG,  K_NONE},  // $7F
    {MOVP,  K_PORT,     K_A,    K_NONE},  // $80
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $81
    {MOVP,  K_A,        K_PORT, K_NONE},  // $82
    {ANDP,  K_A,        K_PORT, K_NONE},  // $83
    {ORP,   K_A,        K_PORT, K_NONE},  // $84
    {XORP,  K_A,        K_PORT, K_NONE},  // $85
    {BTJOP, K_A,        K_PORT, K_REL },  // $86
    {BTJZP, K_A,        K_PORT, K_REL },  // $87
    {MOVD,  K_IMM16,    K_REG,  K_NONE},  // $88
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $89
    {LDA,   K_DIRECT,   K_NONE, K_NONE},  // $8A
    {STA,   K_DIRECT,   K_NONE, K_NONE},  // $8B
    {BR,    K_ADDR,     K_NONE, K_NONE},  // $8C
    {CMPA,  K_DIRECT,   K_NONE, K_NONE},  // $8D
    {CALL,  K_ADDR,     K_NONE, K_NONE},  // $8E
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $8F
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $90
    {MOVP,  K_PORT,     K_B,    K_NONE},  // $91
    {MOVP,  K_B,        K_PORT, K_NONE},  // $92
    {ANDP,  K_B,        K_PORT, K_NONE},  // $93
    {ORP,   K_B,        K_PORT, K_NONE},  // $94
    {XORP,  K_B,        K_PORT, K_NONE},  // $95
    {BTJOP, K_B,        K_PORT, K_REL },  // $96
    {BTJZP, K_B,        K_PORT, K_REL },  // $97
    {MOVD,  K_REG,      K_REG,  K_NONE},  // $98
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $99
    {LDA,   K_INDIRECT, K_NONE, K_NONE},  // $9A
    {STA,   K_INDIRECT, K_NONE, K_NONE},  // $9B
    {BR,    K_INDIRECT, K_NONE, K_NONE},  // $9C
    {CMPA,  K_INDIRECT, K_NONE, K_NONE},  // $9D
    {CALL,  K_INDIRECT, K_NONE, K_NONE},  // $9E
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $9F
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $A0
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $A1
    {MOVP,  K_IMM8,     K_PORT, K_NONE},  // $A2
    {ANDP,  K_IMM8,     K_PORT, K_NONE},  // $A3
    {ORP,   K_IMM8,     K_PORT, K_NONE},  // $A4
    {XORP,  K_IMM8,     K_PORT, K_NONE},  // $A5
    {BTJOP, K_IMM8,     K_PORT, K_REL },  // $A6
    {BTJZP, K_IMM8,     K_PORT, K_REL },  // $A7
    {MOVD,  K_INDEXED,  K_REG,  K_NONE},  // $A8
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $A9
    {LDA,   K_INDEXED,  K_NONE, K_NONE},  // $AA
    {STA,   K_INDEXED,  K_NONE, K_NONE},  // $AB
    {BR,    K_INDEXED,  K_NONE, K_NONE},  // $AC
    {CMPA,  K_INDEXED,  K_NONE, K_NONE},  // $AD
    {CALL,  K_INDEXED,  K_NONE, K_NONE},  // $AE
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $AF
    {TSTA,  K_NONE,     K_NONE, K_NONE},  // $B0
    {UNDEF, K_NONE,     K_NONE, K_NONE},  // $B1
    {DEC,   K_A,        K_NONE, K_NONE},  // $B2
    {INC,   K_A,        K_NONE, K_NONE},  // $B3
    {INV,   K_A,        K_NONE, K_NONE},  // $B4
    {CLR,   K_A,        K_NONE, K_NONE},  // $B5
    {XCHB,  K_A,        K_NONE, K_NONE},  // $B6
    {UNDEF, K_A,        K_NONE, K_NONE},  // $B7
    {PUSH,  K_A,        K_NONE, K_NONE},  // $B8
    {POP,   K_A,        K_NONE, K_NONE},  // $B9
    {DJNZ,  K_A,        K_REL,  K_NONE},  // $BA
    {DECD,  K_A,        K_NONE, K_NONE},  // $BB
    {RR,    K_A,        K_NONE, K_NONE},  // $BC
    {RRC,   K_A,        K_NONE, K_NONE},  // $BD
    {RL,    K_A,        K_NONE, K_NONE},  // $BE
    {RLC,   K_A,        K_NONE, K_NONE},  // $BF
    {MOV,   K_A,        K_B,    K_NONE},  // $C0
    {TSTB,  K_NONE,     K_NONE, K_NONE},  // $C1
    {DEC,   K_B,        K_NONE, K_NONE},  // $C2
    {INC,   K_B,        K_NONE, K_NONE},  // $C3
    {INV,   K_B,        K_NONE, K_NONE},  // $C4
    {CLR,   K_B,        K_NONE, K_NONE},  // $C5
    {XCHB,  K_B,        K_NONE, K_NONE},  // $C6
    {UNDEF, K_B,        K_NONE, K_NONE},  // $C7
    {PUSH,  K_B,        K_NONE, K_NONE},  // $C8
    {POP,   K_B,        K_NONE, K_NONE},  // $C9
    {DJNZ,  K_B,        K_REL,  K_NONE},  // $CA
    {DECD,  K_B,        K_NONE, K_NONE},  // $CB
    {RR,    K_B,        K_NONE, K_NONE},  // $CC
    {RRC,   K_B,        K_NONE, K_NONE},  // $CD
    {RL,    K_B,        K_NONE, K_NONE},  // $CE
    {RLC,   K_B,        K_NONE, K_NONE},  // $CF
    {MOV,   K_A,        K_REG,  K_NONE},  // $D0
    {MOV,   K_B,        K_REG,  K_NONE},  // $D1
    {DEC,   K_REG,      K_NONE, K_NONE},  // $D2
    {INC,   K_REG,      K_NONE, K_NONE},  // $D3
    {INV,   K_REG,      K_NONE, K_NONE},  // $D4
    {CLR,   K_REG,      K_NONE, K_NONE},  // $D5
    {XCHB,  K_REG,      K_NONE, K_NONE},  // $D6
    {LVDP,  K_REG,      K_NONE, K_NONE},  // $D7
    {PUSH,  K_REG,      K_NONE, K_NONE},  // $D8
    {POP,   K_REG,      K_NONE, K_NONE},  // $D9
    {DJNZ,  K_REG,      K_REL,  K_NONE},  // $DA
    {DECD,  K_REG,      K_NONE, K_NONE},  // $DB
    {RR,    K_REG,      K_NONE, K_NONE},  // $DC
    {RRC,   K_REG,      K_NONE, K_NONE},  // $DD
    {RL,    K_REG,      K_NONE, K_NONE},  // $DE
    {RLC,   K_REG,      K_NONE, K_NONE},  // $DF
    {JMP,   K_REL,      K_NONE, K_NONE},  // $E0
    {JLT,   K_REL,      K_NONE, K_NONE},  // $E1
    {JEQ,   K_REL,      K_NONE, K_NONE},  // $E2
    {JHS,   K_REL,      K_NONE, K_NONE},  // $E3
    {JGT,   K_REL,      K_NONE, K_NONE},  // $E4
    {JGE,   K_REL,      K_NONE, K_NONE},  // $E5
    {JNE,   K_REL,      K_NONE, K_NONE},  // $E6
    {JL,    K_REL,      K_NONE, K_NONE},  // $E7
    // TRAP numbers count down: the first operand is 255 minus the opcode.
    {TRAP,  23,         K_NONE, K_NONE},  // $E8
    {TRAP,  22,         K_NONE, K_NONE},  // $E9
    {TRAP,  21,         K_NONE, K_NONE},  // $EA
    {TRAP,  20,         K_NONE, K_NONE},  // $EB
    {TRAP,  19,         K_NONE, K_NONE},  // $EC
    {TRAP,  18,         K_NONE, K_NONE},  // $ED
    {TRAP,  17,         K_NONE, K_NONE},  // $EE
    {TRAP,  16,         K_NONE, K_NONE},  // $EF
    {TRAP,  15,         K_NONE, K_NONE},  // $F0
    {TRAP,  14,         K_NONE, K_NONE},  // $F1
    {TRAP,  13,         K_NONE, K_NONE},  // $F2
    {TRAP,  12,         K_NONE, K_NONE},  // $F3
    {TRAP,  11,         K_NONE, K_NONE},  // $F4
    {TRAP,  10,         K_NONE, K_NONE},  // $F5
    {TRAP,  9,          K_NONE, K_NONE},  // $F6
    {TRAP,  8,          K_NONE, K_NONE},  // $F7
    {TRAP,  7,          K_NONE, K_NONE},  // $F8
    {TRAP,  6,          K_NONE, K_NONE},  // $F9
    {TRAP,  5,          K_NONE, K_NONE},  // $FA
    {TRAP,  4,          K_NONE, K_NONE},  // $FB
    {TRAP,  3,          K_NONE, K_NONE},  // $FC
    {TRAP,  2,          K_NONE, K_NONE},  // $FD
    {TRAP,  1,          K_NONE, K_NONE},  // $FE
    {TRAP,  0,          K_NONE, K_NONE},  // $FF
};
// clang-format on
static_assert(std::size(opcode_map) == 256);

// Operand bytes that a kind code reads; the numbers 0 to 23 read none.
constexpr int operand_bytes(int kind)
{
    switch (kind) {
    case K_REG:
    case K_PORT:
    case K_IMM8:
    case K_INDIRECT:
    case K_REL: return 1;
    case K_IMM16:
    case K_ADDR:
    case K_DIRECT:
    case K_INDEXED: return 2;
    default: return 0;
    }
}

// Invariants of the map that the decoder and the formatter rely on, checked as it compiles.
namespace opcode_map_checks {

template <class Rule>
constexpr bool every_row(const Opcode* map, Rule rule)
{
    for (unsigned opcode = 0; opcode < 256; ++opcode)
        if (!rule(opcode, map[opcode]))
            return false;
    return true;
}

template <class Rule>
constexpr bool every_row(Rule rule)
{
    return every_row(opcode_map, rule);
}

constexpr int bytes_of(const Opcode& e)
{
    return operand_bytes(e.p1) + operand_bytes(e.p2) + operand_bytes(e.p3);
}

// The formatter reads the second position only as A, B, a register, a port or a displacement,
// and the third only as a displacement.
constexpr bool second_kind(int k)
{
    return k == K_NONE || k == K_A || k == K_B || k == K_REG || k == K_PORT || k == K_REL;
}

// The rules below hold for every opcode map (this one and the family's), each checked where
// the map is defined.
constexpr bool names_a_mnemonic(unsigned, const Opcode& e)
{
    return e.op < std::size(name) && e.op != WVDP;
}
constexpr bool traps_count_down(unsigned c, const Opcode& e)
{
    return (e.op == TRAP) == (c >= 0xE8) && (e.op != TRAP || e.p1 == 255 - c);
}
constexpr bool kinds_in_place(unsigned, const Opcode& e)
{
    return (e.op == TRAP || (e.p1 >= K_NONE && e.p1 <= K_ST)) && second_kind(e.p2) && (e.p3 == K_NONE || e.p3 == K_REL);
}
constexpr bool operands_from_the_first(unsigned, const Opcode& e)
{
    return (e.p1 != K_NONE || e.p2 == K_NONE) && (e.p2 != K_NONE || e.p3 == K_NONE);
}
constexpr bool displacement_last(unsigned, const Opcode& e)
{
    return (e.p1 != K_REL || bytes_of(e) == 1) && (e.p2 != K_REL || e.p3 == K_NONE);
}
constexpr bool at_most_three_bytes(unsigned, const Opcode& e)
{
    return bytes_of(e) <= 3;
}
constexpr bool undefined_reads_nothing(unsigned, const Opcode& e)
{
    return e.op != UNDEF || bytes_of(e) == 0;
}

static_assert(every_row(names_a_mnemonic),
              "every row names a mnemonic of the table, never WVDP (the port-46 rule makes it)");
static_assert(every_row([](unsigned, const Opcode& e) { return e.op != SWAP; }),
              "SWAP is the family's, not the target's");
static_assert(every_row(traps_count_down), "TRAP rows are E8 to FF, numbered 255 minus the opcode");
static_assert(every_row(kinds_in_place), "a kind code allowed in each position; numbers only for TRAP");
static_assert(every_row(operands_from_the_first), "operands fill the positions from the first on");
static_assert(every_row(displacement_last), "a displacement is the last byte of its instruction");
static_assert(every_row(at_most_three_bytes), "at most three operand bytes");
static_assert(every_row(undefined_reads_nothing), "an undefined opcode reads no operand byte");

}  // namespace opcode_map_checks

}  // namespace koddar
