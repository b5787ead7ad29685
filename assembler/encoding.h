// The instruction forms kodasm can assemble, taken from the disassembler's opcode map: for each
// mnemonic, the opcodes that carry it and the operand kinds each one expects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kodasm {

// What an operand looks like in the source, before it is matched against an operand kind.
enum class Form : std::uint8_t {
    A,         // A: register A, or register 0 where no A form exists
    B,         // B: register B, or register 1
    Reg,       // a register name, Rn or a register symbol
    Port,      // Pn or a port symbol
    Imm,       // %value
    Value,     // a bare value: an address, a branch target or a TRAP number
    Direct,    // @value
    Indexed,   // @value(B)
    Indirect,  // *register
    Status,    // ST
};

struct Operand {
    Form form;
    long value = 0;          // register or port number, or the value of the expression
    bool known = true;       // false while a label is not yet defined (first pass)
    std::size_t column = 0;  // where the operand starts in its line, from 0
};

// The mnemonic number (an index into the disassembler's mnemonic table) of an upper-case
// mnemonic or alias, or -1. WVDP is found too; it assembles as MOVP to port 46.
int find_mnemonic(const std::string& upper);

// Instruction length of an opcode, from its map entry.
int instruction_length(unsigned opcode);

// The opcode whose operand kinds accept these operands, or -1. With several, the shortest wins,
// then the one that reads A and B as A and B rather than as registers 0 and 1, then the lowest.
// A TRAP number whose value is not known yet matches any TRAP: they are all one byte long.
int choose_opcode(int mnemonic, const std::vector<Operand>& operands);

}  // namespace kodasm
