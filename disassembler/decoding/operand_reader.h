// Reading the operands of one instruction and writing their texts: shared by Decod, which
// fills the decoder's columns, and the line writers, which write a listing line in place.
// Every function here is inlined where it is used, so that where the kinds are constants
// their switches fold away.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "address.h"
#include "decoder.h"
#include "fields.h"
#include "opcode_map.h"
#include "operand_names.h"
#include "processor.h"
#include "text.h"

namespace koddar {
namespace operand_texts {

// The operands of one instruction being read: its mnemonic (MOVP to the video port turns
// into WVDP where the processor has the video rules), a copy of `a`, where the next hex
// digits go and the operand column's cursor.
// All locals, so the compiler keeps them in registers while text bytes are stored (a store
// of a char may alias any global, a local whose address never escapes it may not).
struct Reader {
    int op;
    bool video;
    std::int32_t at;
    char* hex;  // two exact digits a byte: the hex column has room for all of them (see Decod)
    Cursor out;

    // Reads the next operand byte (unsigned) and shows it in the hex column.
    unsigned next_byte()
    {
        const unsigned n = static_cast<unsigned char>(Mgetc(at));
        at = add32(at, 1);
        std::memcpy(hex, hex_lower[n].text, 2);
        hex += 2;
        return n;
    }

    // Reads a 16-bit operand, high byte first; the hex column shows its bytes in image order.
    unsigned next_word()
    {
        const unsigned high = next_byte();
        return high * 256 + next_byte();
    }

    // Reads a displacement and returns the branch target: the relocated address of the next
    // instruction plus the signed displacement, as an unsigned value for "%04X".
    std::uint32_t branch_target()
    {
        const auto d = static_cast<std::int8_t>(next_byte());
        return static_cast<std::uint32_t>(add32(add32(reloc, at), d));
    }
};

// A register byte: its name in the map, else the table's text.
inline void put_register(Cursor& out, unsigned n)
{
    if (const std::string* reg = register_name(n))
        out.put(reg->data(), reg->size());
    else
        out.put(register_piece.row[n]);
}

// A port byte: its name in the map, else "P" and the number.
inline void put_port(Cursor& out, unsigned n)
{
    if (const std::string* port = port_name(n)) {
        out.put(port->data(), port->size());
    } else {
        out.put("P");
        out.put(decimal[n]);
    }
}

// lead (ending in "$"), then "%04X" of v; with a map, a labelled address prints its label in
// place of the "$" and the number.
template <std::size_t N>
inline void put_word(Cursor& out, const char (&lead)[N], std::uint32_t v)
{
    if (const std::string* label = address_name(v)) {
        out.put(lead, N - 2);
        out.put(label->data(), label->size());
    } else {
        out.put(lead);
        out.put_hex4(v);
    }
}

// Inlined into each caller, so that where the kinds are constants their switches fold away.
[[gnu::always_inline]] inline void first_operand(Reader& r, int p1)
{
    Cursor& out = r.out;
    if (p1 < K_NONE) {
        out.put(decimal[static_cast<unsigned>(p1)]);
        return;
    }
    switch (static_cast<Kind>(p1)) {
    case K_NONE: break;
    case K_A: out.put("A"); break;
    case K_B: out.put("B"); break;
    case K_REG: {
        const unsigned n = r.next_byte();
        if (r.op != LVDP)  // LVDP shows its register byte in the hex column only
            put_register(out, n);
        break;
    }
    case K_PORT: put_port(out, r.next_byte()); break;
    case K_IMM8:
        out.put("%$");
        out.put(hex_upper[r.next_byte()]);
        break;
    case K_IMM16: put_word(out, "%$", r.next_word()); break;
    case K_ADDR: put_word(out, "$", r.next_word()); break;
    case K_DIRECT: put_word(out, "@$", r.next_word()); break;
    case K_INDEXED:
        put_word(out, "@$", r.next_word());
        out.put("(B)");
        break;
    case K_INDIRECT:
        out.put("*");
        put_register(out, r.next_byte());
        break;
    case K_REL: put_word(out, "$", r.branch_target()); break;
    case K_ST: out.put("ST"); break;
    }
}

[[gnu::always_inline]] inline void second_operand(Reader& r, int p2)
{
    Cursor& out = r.out;
    if (p2 < K_NONE)
        return;
    switch (static_cast<Kind>(p2)) {
    case K_A: out.put(",A"); break;
    case K_B: out.put(",B"); break;
    case K_REG:
        out.put(",");
        put_register(out, r.next_byte());
        break;
    case K_PORT: {
        const unsigned n = r.next_byte();
        if (r.op == MOVP && n == kVideoPort && r.video) {
            r.op = WVDP;  // the port stays in the hex column but not in the operands
        } else {
            out.put(",");
            put_port(out, n);
        }
        break;
    }
    case K_REL: put_word(out, ",$", r.branch_target()); break;
    // clang-format off
    case K_NONE: case K_IMM8: case K_IMM16: case K_ADDR: case K_DIRECT: case K_INDEXED:
    case K_INDIRECT: case K_ST:
        break;  // no instruction has these in the second position
        // clang-format on
    }
}

[[gnu::always_inline]] inline void third_operand(Reader& r, int p3)
{
    if (p3 == K_REL)
        put_word(r.out, ",$", r.branch_target());
}

}  // namespace operand_texts
}  // namespace koddar
