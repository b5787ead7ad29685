// The decoder state and the assembly of one listing line.
#include "decoder.h"

#include "address.h"
#include "opcode_map.h"
#include "text.h"

namespace koddar {

unsigned char* buffer = nullptr;
std::int32_t loaded_length = 0;
std::int32_t reloc = 0;
std::int32_t a = 0;
char hexa[18] = "";
const char* mnemo = name[UNDEF];
char param[100] = "";

namespace {

// Hex column in columns 0 to 14, mnemonic from 15, operands from 22. A wider hex column
// (long addresses) pushes the rest right instead of being cut.
constexpr std::size_t kMnemonicColumn = 15;
constexpr std::size_t kOperandColumn = 22;

void assemble_line(char* string)
{
    string[0] = '\0';
    append(string, kLineSize, hexa);
    pad_to(string, kLineSize, kMnemonicColumn);
    append(string, kLineSize, mnemo);
    pad_to(string, kLineSize, kOperandColumn);
    append(string, kLineSize, param);
}

}  // namespace

std::int32_t Dasmtms7020(char* string, std::int32_t address)
{
    a = address;
    const unsigned opcode = static_cast<unsigned char>(Mgetc(a));
    a = add32(a, 1);
    // The hex column is "%04X %02x" of the relocated address and the opcode; a negative
    // address prints as its 32-bit two's complement, hence the unsigned value.
    hexa[0] = '\0';
    append_hex4(hexa, sizeof hexa, static_cast<std::uint32_t>(add32(reloc, address)));
    append(hexa, sizeof hexa, " ");
    append(hexa, sizeof hexa, hex_lower[opcode]);
    param[0] = '\0';
    const Opcode& entry = opcode_map[opcode];
    Decod(entry.op, entry.p1, entry.p2, entry.p3);
    assemble_line(string);
    return a;
}

}  // namespace koddar
