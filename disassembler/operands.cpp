// The operand formatter: reads each operand's bytes through Mgetc, extends the hex column
// and writes the operand column, with the LVDP and WVDP rules of the target computer.
#include <cstring>
#include <iterator>

#include "address.h"
#include "decoder.h"
#include "opcode_map.h"
#include "symbols.h"
#include "text.h"

namespace koddar {

namespace {

// The target computer's names for the first registers of the register file; the rest are
// "R" and the number. Indexed by register number.
// clang-format off
constexpr const char* registre[] = {
    "A",        "B",        "FLGCOM",   "VALUE0",   "VALUE1",   "SUICOM-1", "SUICOM",   "WRKSON-1",  // 0-7
    "WRKSON",   "PTRSON-1", "PTRSON",   "SONFON-1", "SONFON",   "TEMP1-1",  "TEMP1",    "TEMP2-1",   // 8-15
    "TEMP2",    "TEMP3-1",  "TEMP3",    "TEMP4-1",  "TEMP4",    "TEMP5-1",  "TEMP5",    "TEMP6-1",   // 16-23
    "TEMP6",    "TEMP7-1",  "TEMP7",    "TEMP8-1",  "TEMP8",    "TEMP9-1",  "TEMP9",    "TEMP10-1",  // 24-31
    "TEMP10",   "RAMADR-1", "RAMADR",   "VDP06",    "R36",      "R37",      "R38",      "R39",
    "R40",  "R41",  "R42",  "R43",  "R44",  "R45",  "R46",  "R47",  "R48",  "R49",
    "R50",  "R51",  "R52",  "R53",  "R54",  "R55",  "R56",  "R57",  "R58",  "R59",
    "R60",  "R61",  "R62",  "R63",  "R64",  "R65",  "R66",  "R67",  "R68",  "R69",
    "R70",  "R71",  "R72",  "R73",  "R74",  "R75",  "R76",  "R77",  "R78",  "R79",
    "R80",  "R81",  "R82",  "R83",  "R84",  "R85",  "R86",  "R87",  "R88",  "R89",
    "R90",  "R91",  "R92",  "R93",  "R94",  "R95",  "R96",  "R97",  "R98",  "R99",
    "R100", "R101", "R102", "R103", "R104", "R105", "R106", "R107", "R108", "R109",
    "R110", "R111", "R112", "R113", "R114", "R115", "R116", "R117", "R118", "R119",
    "R120", "R121", "R122", "R123", "R124", "R125", "R126", "R127",
};
// clang-format on
static_assert(std::size(registre) == 128);

// From register 36 on, each name is "R" and its number.
constexpr bool names_its_number(const char* text, unsigned n)
{
    if (text[0] != 'R')
        return false;
    unsigned value = 0;
    for (const char* p = text + 1; *p != '\0'; ++p)
        value = value * 10 + static_cast<unsigned>(*p - '0');
    return value == n && text[1] != '0';
}

constexpr bool numbered_registers_are_named_by_number()
{
    for (unsigned n = 36; n < std::size(registre); ++n)
        if (!names_its_number(registre[n], n))
            return false;
    return true;
}
static_assert(numbered_registers_are_named_by_number(), "registers 36 to 127 are named R36 to R127");

constexpr unsigned kVideoPort = 46;  // MOVP to this port is the video write WVDP

void append_byte_hex(unsigned n)
{
    append(hexa, sizeof hexa, hex_lower[n]);
}

// Reads the next operand byte (unsigned) and shows it in the hex column.
unsigned next_byte()
{
    const unsigned n = static_cast<unsigned char>(Mgetc(a));
    a = add32(a, 1);
    append_byte_hex(n);
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
    const std::int8_t d = Mgetc(a);
    a = add32(a, 1);
    append_byte_hex(static_cast<unsigned char>(d));
    return static_cast<std::uint32_t>(add32(add32(reloc, a), d));
}

// Appends lead, "%04X" of v and tail to the operand column; with a map, a labelled address
// prints its label in place of the "$" and the number.
void append_word(const char* lead, std::uint32_t v, const char* tail = "")
{
    if (const std::string* label = address_name(v)) {
        const std::string shortened(lead, std::strlen(lead) - 1);
        append(param, sizeof param, (shortened + *label).c_str());
    } else {
        append(param, sizeof param, lead);
        append_hex4(param, sizeof param, v);
    }
    append(param, sizeof param, tail);
}

// Registers past the table's 128 entries continue its pattern, "R128" to "R255".
void append_register(const char* lead, unsigned n)
{
    if (const std::string* reg = register_name(n)) {
        append(param, sizeof param, lead);
        append(param, sizeof param, reg->c_str());
    } else if (n < std::size(registre)) {
        append(param, sizeof param, lead);
        append(param, sizeof param, registre[n]);
    } else {
        append(param, sizeof param, lead);
        append(param, sizeof param, "R");
        append(param, sizeof param, decimal[n]);
    }
}

// Ports print as Pn, or by their name in the map.
void append_port(const char* lead, unsigned n)
{
    append(param, sizeof param, lead);
    if (const std::string* port = port_name(n)) {
        append(param, sizeof param, port->c_str());
    } else {
        append(param, sizeof param, "P");
        append(param, sizeof param, decimal[n]);
    }
}

void first_operand(int op, int p1)
{
    param[0] = '\0';
    if (p1 < K_NONE) {
        append(param, sizeof param, decimal[static_cast<unsigned>(p1)]);
        return;
    }
    switch (static_cast<Kind>(p1)) {
    case K_NONE: break;
    case K_A: append(param, sizeof param, "A"); break;
    case K_B: append(param, sizeof param, "B"); break;
    case K_REG: {
        const unsigned n = next_byte();
        if (op != LVDP)  // LVDP shows its register byte in the hex column only
            append_register("", n);
        break;
    }
    case K_PORT: append_port("", next_byte()); break;
    case K_IMM8:
        append(param, sizeof param, "%$");
        append(param, sizeof param, hex_upper[next_byte()]);
        break;
    case K_IMM16: append_word("%$", next_word()); break;
    case K_ADDR: append_word("$", next_word()); break;
    case K_DIRECT: append_word("@$", next_word()); break;
    case K_INDEXED: append_word("@$", next_word(), "(B)"); break;
    case K_INDIRECT: append_register("*", next_byte()); break;
    case K_REL: append_word("$", branch_target()); break;
    case K_ST: append(param, sizeof param, "ST"); break;
    }
}

void second_operand(int op, int p2)
{
    if (p2 < K_NONE)
        return;
    switch (static_cast<Kind>(p2)) {
    case K_A: append(param, sizeof param, ",A"); break;
    case K_B: append(param, sizeof param, ",B"); break;
    case K_REG: append_register(",", next_byte()); break;
    case K_PORT: {
        const unsigned n = next_byte();
        if (op == MOVP && n == kVideoPort) {
            mnemo = name[WVDP];  // the port stays in the hex column but not in the operands
        } else {
            append_port(",", n);
        }
        break;
    }
    case K_REL: append_word(",$", branch_target()); break;
    // clang-format off
    case K_NONE: case K_IMM8: case K_IMM16: case K_ADDR: case K_DIRECT: case K_INDEXED:
    case K_INDIRECT: case K_ST:
        break;  // no instruction has these in the second position
        // clang-format on
    }
}

void third_operand(int p3)
{
    if (p3 == K_REL)
        append_word(",$", branch_target());
}

}  // namespace

std::int8_t Mgetc(std::int32_t adresse)
{
    if (buffer == nullptr || adresse < 0 || adresse >= loaded_length || adresse >= kImageSize)
        return 0;
    return static_cast<std::int8_t>(buffer[adresse]);
}

void Decod(int op, int p1, int p2, int p3)
{
    mnemo = name[op];
    first_operand(op, p1);
    second_operand(op, p2);
    third_operand(p3);
}

}  // namespace koddar
