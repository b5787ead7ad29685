// The decoder state and the routines that turn one instruction of the image into one
// listing line: Dasmtms7020 (line and hex column), Decod (mnemonic and operands), Mgetc.
#pragma once

#include <cstddef>
#include <cstdint>

#include "opcode_map.h"
#include "active_map.h"
#include "processor.h"
#include "text.h"

namespace koddar {

constexpr std::int32_t kImageSize = 65536;
constexpr int kLineSize = 80;  // room for 79 characters and the terminator; the longest line is 49
// Hex column in columns 0 to 14, mnemonic from 15, operands from 22. A wider hex column
// (long addresses) pushes the rest right instead of being cut.
constexpr std::size_t kMnemonicColumn = 15;
constexpr std::size_t kOperandColumn = 22;
inline constexpr char kBlanks[] = "                ";  // 16 blanks

extern unsigned char* buffer;       // the image: offset 0 is the first byte of the source file
extern std::int32_t loaded_length;  // bytes loaded into buffer; everything past them reads as 0x00
extern std::int32_t reloc;          // target address of image offset 0
extern std::int32_t a;              // offset of the next image byte to read
// The stores of the two columns are larger than their longest texts (17 and 27 characters,
// 98 with a map's names), so that pieces and whole stores can be copied in fixed-size moves.
extern char hexa[24];      // hex column: up to 8 address digits, a blank and 4 bytes
extern const char* mnemo;  // entry of `name` for the line being built
extern char param[120];    // operand column: at most 27 characters; 98 with a map's names

// The mnemonic of the line being built, after the WVDP rule: the index of mnemo in `name`.
extern Mnemonic mnemonic;
// The lengths of the texts in hexa and param: Dasmtms7020 starts the hex column, Decod
// extends it and writes the operand column, and Dasmtms7020 zero-terminates both before it
// assembles the line. Plain lengths, not cursors: a cursor copied through memory costs a
// stalled load on every line (its parts are stored one by one, then read back in one move).
extern std::size_t hexa_length;
extern std::size_t param_length;
extern std::size_t line_size;  // length of the line Dasmtms7020 wrote last, terminator left out

// The image byte at offset `adresse` (not relocated) as a signed value; 0 outside the loaded data.
inline std::int8_t Mgetc(std::int32_t adresse)
{
    // One unsigned comparison each refuses negative offsets too.
    const auto at = static_cast<std::uint32_t>(adresse);
    if (buffer == nullptr || at >= static_cast<std::uint32_t>(loaded_length) || at >= std::uint32_t{kImageSize})
        return 0;
    return static_cast<std::int8_t>(buffer[at]);
}

// Sets mnemo to name[op] and mnemonic to op (WVDP for MOVP to the video port), reads the
// operands of kinds p1, p2, p3 from `a` on into hexa and param.
void Decod(int op, int p1, int p2, int p3);

// Writes the listing line of the instruction at offset `address` into `string` (kLineSize
// bytes) and returns the offset behind the instruction.
std::int32_t Dasmtms7020(char* string, std::int32_t address);

// The listing line of the instruction at offset `address` written in place into `line`
// (`size` bytes, at least kLineSize; not zero-terminated) when its address shows in four
// digits: Dasmtms7020's line, cut at `size` - 1 characters instead of kLineSize - 1, made
// without the hex and operand stores, which it leaves alone. Sets `a` behind the instruction
// and returns the line's length; for a wider address returns 0 and writes nothing.
std::size_t write_four_digit_line(char* line, std::size_t size, std::int32_t address);

}  // namespace koddar
