// The decoder state and the assembly of one listing line.
#include "decoder.h"

#include <algorithm>
#include <cstring>

#include "address.h"
#include "fields.h"
#include "opcode_map.h"
#include "operand_names.h"

namespace koddar {

unsigned char* buffer = nullptr;
std::int32_t loaded_length = 0;
std::int32_t reloc = 0;
std::int32_t a = 0;
std::size_t processor = kTargetProcessor;
char hexa[24] = "";
const char* mnemo = name[UNDEF];
Mnemonic mnemonic = UNDEF;
char param[120] = "";
std::size_t hexa_length = 0;
std::size_t param_length = 0;
std::size_t line_size = 0;
const OperandNames* operand_names = nullptr;

namespace {

constexpr std::size_t kParamMove = 32;  // more than the longest operand column

// The line in fixed-size moves, each one overlapped by the next: the hex column store,
// blanks behind the hex text, the mnemonic field and the operand column store. Only the
// lengths decide where each starts, so no move depends on the text it copies.
std::size_t assemble_line(char* string, std::size_t hexa_size, std::size_t param_size)
{
    static_assert(sizeof kBlanks - 1 + kMnemonicColumn > sizeof hexa - 1 &&
                      sizeof(MnemonicField::text) + kMnemonicColumn > kOperandColumn,
                  "the blanks and the mnemonic field reach the next column");
    static_assert(kOperandColumn + kParamMove <= kLineSize && kParamMove <= sizeof param,
                  "every move stays in the line and in the store");
    std::memcpy(string, hexa, sizeof hexa);
    std::memcpy(string + hexa_size, kBlanks, sizeof kBlanks - 1);
    const std::size_t mnemonic_at = hexa_size > kMnemonicColumn ? hexa_size : kMnemonicColumn;
    const MnemonicField& field = mnemonic_field.row[mnemonic];
    std::memcpy(string + mnemonic_at, field.text, sizeof field.text);
    const std::size_t after = mnemonic_at + field.size;
    const std::size_t param_at = after > kOperandColumn ? after : kOperandColumn;
    if (param_size < kParamMove) {
        std::memcpy(string + param_at, param, kParamMove);
    } else {  // a map's long names: the plain line is cut, the mapped listing assembles its own
        param_size = std::min(param_size, static_cast<std::size_t>(kLineSize) - 1 - param_at);
        std::memcpy(string + param_at, param, param_size);
    }
    string[param_at + param_size] = '\0';
    return param_at + param_size;
}

}  // namespace

std::int32_t Dasmtms7020(char* string, std::int32_t address)
{
    a = address;
    const unsigned opcode = static_cast<unsigned char>(Mgetc(a));
    a = add32(a, 1);
    // The hex column is "%04X %02x" of the relocated address and the opcode; a negative
    // address prints as its 32-bit two's complement, hence the unsigned value. Written
    // through a local cursor, which stays in registers.
    Cursor hex(hexa);
    hex.put_hex4(static_cast<std::uint32_t>(add32(reloc, address)));
    hex.put(' ');
    hex.put(hex_lower[opcode]);
    hexa_length = hex.size();
    const Opcode& entry = active_map()[opcode];
    Decod(entry.op, entry.p1, entry.p2, entry.p3);
    hexa[hexa_length] = '\0';
    param[param_length] = '\0';
    line_size = assemble_line(string, hexa_length, param_length);
    return a;
}

}  // namespace koddar
