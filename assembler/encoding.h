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
    Reg,       // a value that names a register: Rn, a register name or a symbol EQU'd to one
    Port,      // a value that names a port: Pn or a symbol EQU'd to one
    Imm,       // %value or #value
    Value,     // a bare number: an address, a branch target, a TRAP number, a register or port
               // number (0100h + n for port n), or a direct address written without "@"
    Direct,    // @value
    Indexed,   // @value(B) or value(B)
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

// Port numbers are also written as their memory address, 0100h + n.
constexpr long kPortBase = 0x100;

// The forms the manuals and the common assemblers write beside the opcode map's own: MOV with a
// port for MOVP, MOV with an address and A for LDA/STA, CMP with an address for CMPA, CMPA with
// an immediate or a register for CMP, TST A/B for TSTA/TSTB. Returns the mnemonic to use and may
// reorder or drop operands; the mnemonic unchanged when none applies.
int rewrite_form(int mnemonic, std::vector<Operand>& operands);

// The processor (an index into the disassembler's processor table) of a CPU name in any case:
// the target computer's TMS7020 and TMS7040, or any other TMS7000 family member, which has the
// family's standard map. -1 for a name that is none of them.
int find_cpu(const std::string& name);

// The operand byte of a register or port operand: a port written as its address loses 0100h.
long operand_byte(const Operand& operand, int kind);

// The opcode whose operand kinds accept these operands, or -1. With several, the shortest wins,
// then the one that reads A and B as A and B rather than as registers 0 and 1, then the lowest.
// A TRAP number whose value is not known yet matches any TRAP: they are all one byte long.
int choose_opcode(int processor, int mnemonic, const std::vector<Operand>& operands);

}  // namespace kodasm
