// Texts of the listing's columns made at compile time: the mnemonic field of each entry of
// `name` and the text of each register byte, each in a fixed store that one move copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "decoder.h"
#include "opcode_map.h"
#include "register_file.h"
#include "text.h"

namespace koddar {

// The mnemonic column of an entry of `name`: the name (`size` characters) and blanks up to
// the operand column.
struct MnemonicField {
    char text[8];
    std::uint8_t size;
};

struct MnemonicFields {
    MnemonicField row[std::size(name)];
};

constexpr MnemonicFields make_mnemonic_fields()
{
    MnemonicFields t{};
    for (std::size_t i = 0; i < std::size(name); ++i) {
        MnemonicField& f = t.row[i];
        while (name[i][f.size] != '\0') {
            f.text[f.size] = name[i][f.size];
            ++f.size;
        }
        for (std::size_t k = f.size; k < sizeof f.text; ++k)
            f.text[k] = ' ';
    }
    return t;
}

inline constexpr MnemonicFields mnemonic_field = make_mnemonic_fields();

constexpr bool every_name_fits_before_the_operands()
{
    for (const MnemonicField& f : mnemonic_field.row)
        if (f.size > kOperandColumn - kMnemonicColumn)
            return false;
    return true;
}
static_assert(every_name_fits_before_the_operands(), "the operand column never moves for a long mnemonic");

// The text of every register byte (register_text) as a piece.
struct RegisterPieces {
    Piece<15> row[256];
};

constexpr RegisterPieces make_register_pieces()
{
    RegisterPieces t{};
    for (unsigned n = 0; n < 256; ++n)
        for (const char c : register_text(n))
            t.row[n].text[t.row[n].size++] = c;
    return t;
}

inline constexpr RegisterPieces register_piece = make_register_pieces();

}  // namespace koddar
