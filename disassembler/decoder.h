// The decoder state and the routines that turn one instruction of the image into one
// listing line: Dasmtms7020 (line and hex column), Decod (mnemonic and operands), Mgetc.
#pragma once

#include <cstdint>

namespace koddar {

constexpr std::int32_t kImageSize = 65536;
constexpr int kLineSize = 80;  // room for 79 characters and the terminator; the longest line is 49

extern unsigned char* buffer;       // the image: offset 0 is the first byte of the source file
extern std::int32_t loaded_length;  // bytes loaded into buffer; everything past them reads as 0x00
extern std::int32_t reloc;          // target address of image offset 0
extern std::int32_t a;              // offset of the next image byte to read
extern char hexa[18];               // hex column: up to 8 address digits, a blank and 4 bytes
extern const char* mnemo;           // entry of `name` for the line being built
extern char param[100];             // operand column: at most 27 characters; 98 with a map's names

// The image byte at offset `adresse` (not relocated) as a signed value; 0 outside the loaded data.
std::int8_t Mgetc(std::int32_t adresse);

// Sets mnemo to name[op], reads the operands of kinds p1, p2, p3 from `a` on into hexa and param.
void Decod(int op, int p1, int p2, int p3);

// Writes the listing line of the instruction at offset `address` into `string` (kLineSize
// bytes) and returns the offset behind the instruction.
std::int32_t Dasmtms7020(char* string, std::int32_t address);

}  // namespace koddar
