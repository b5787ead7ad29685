// The operand formatter: reads each operand's bytes through Mgetc, extends the hex column
// and writes the operand column, with the LVDP and WVDP rules of the target computer.
#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <utility>

#include "address.h"
#include "decoder.h"
#include "opcode_map.h"
#include "processor.h"
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

// The text of every register byte, made at compile time: the table's name for 0 to 127,
// and past the table's 128 entries its pattern continued, "R128" to "R255".
struct RegisterTexts {
    Piece<15> row[256];
};

constexpr RegisterTexts make_register_texts()
{
    RegisterTexts t{};
    for (unsigned n = 0; n < 256; ++n) {
        Piece<15>& p = t.row[n];
        if (n < std::size(registre)) {
            for (const char* c = registre[n]; *c != '\0'; ++c)
                p.text[p.size++] = *c;
        } else {
            p.text[p.size++] = 'R';
            for (std::size_t i = 0; i < decimal[n].size; ++i)
                p.text[p.size++] = decimal[n].text[i];
        }
    }
    return t;
}

constexpr RegisterTexts register_text = make_register_texts();

// The mnemonic field of each entry of `name`, made at compile time.
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

constexpr MnemonicFields mnemonic_field = make_mnemonic_fields();

constexpr bool every_name_fits_before_the_operands()
{
    for (const MnemonicField& f : mnemonic_field.row)
        if (f.size > kOperandColumn - kMnemonicColumn)
            return false;
    return true;
}
static_assert(every_name_fits_before_the_operands(), "the operand column never moves for a long mnemonic");

constexpr unsigned kVideoPort = 46;  // MOVP to this port is the video write WVDP

}  // namespace

const MnemonicField* mnemo_field = &mnemonic_field.row[UNDEF];

namespace {

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
void put_register(Cursor& out, unsigned n)
{
    if (const std::string* reg = register_name(n))
        out.put(reg->data(), reg->size());
    else
        out.put(register_text.row[n]);
}

// A port byte: its name in the map, else "P" and the number.
void put_port(Cursor& out, unsigned n)
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
void put_word(Cursor& out, const char (&lead)[N], std::uint32_t v)
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

// An operand pattern: the kinds of an opcode's three positions, a TRAP number counted as
// the one kind 0. Opcodes of a pattern share one line writer, with only their mnemonic and
// number read from the map.
struct Pattern {
    int k1, k2, k3;
    constexpr bool operator==(const Pattern& o) const { return k1 == o.k1 && k2 == o.k2 && k3 == o.k3; }
};

constexpr Pattern pattern_of(const Opcode& e)
{
    return {e.p1 < K_NONE ? 0 : e.p1, e.p2, e.p3};
}

// The distinct patterns of the map, in the order they first occur.
struct Patterns {
    Pattern row[256];
    std::size_t size;
    constexpr std::size_t index(const Pattern& p) const
    {
        std::size_t i = 0;
        while (i < size && !(row[i] == p))
            ++i;
        return i;
    }
};

constexpr Patterns make_patterns()
{
    Patterns t{};
    for (const Opcode& e : opcode_map)  // the family's map has the same kinds (family_map.h)
        if (t.index(pattern_of(e)) == t.size)
            t.row[t.size++] = pattern_of(e);
    return t;
}

constexpr Patterns patterns = make_patterns();

// A listing line with a four-digit address, written in place: the hex column over
// 16 blanks, then the operands from their column and last the mnemonic field between them,
// its 7 bytes ending where the operands begin. Made for each processor and pattern, its kinds
// constants, so that the kind switches fold away.
template <std::size_t P, int K1, int K2, int K3>
std::size_t four_digit_line(char* line, std::size_t size, std::int32_t address, std::uint32_t shown, unsigned code)
{
    static_assert(kMnemonicColumn + 7 == kOperandColumn && 4 + 1 + 2 + 2 * 3 <= kMnemonicColumn,
                  "the mnemonic field fills the gap, the hex column stays short of it");
    const Opcode& e = processors[P].opcodes[code];
    std::memcpy(line, kBlanks, sizeof kBlanks);  // its terminator falls in the mnemonic field
    std::memcpy(line, hex_upper[shown >> 8].text, 2);
    std::memcpy(line + 2, hex_upper[shown].text, 2);
    std::memcpy(line + 5, hex_lower[code].text, 2);
    Reader r{e.op, processors[P].video, add32(address, 1), line + 7,
             Cursor(line + kOperandColumn, size - kOperandColumn)};
    // A TRAP number is below K_NONE: the bound tells the compiler so, which keeps only its branch.
    first_operand(r, K1 == 0 ? std::min<int>(e.p1, K_NONE - 1) : K1);
    second_operand(r, K2);
    third_operand(r, K3);
    std::memcpy(line + kMnemonicColumn, mnemonic_field.row[r.op].text, 7);
    a = r.at;
    return kOperandColumn + r.out.size();
}

using LineWriter = std::size_t (*)(char*, std::size_t, std::int32_t, std::uint32_t, unsigned);

using LineWriters = std::array<LineWriter, patterns.size>;

template <std::size_t Processor, std::size_t... P>
constexpr LineWriters make_line_writers(std::index_sequence<P...>)
{
    return {&four_digit_line<Processor, patterns.row[P].k1, patterns.row[P].k2, patterns.row[P].k3>...};
}

template <std::size_t... Processor>
constexpr std::array<LineWriters, sizeof...(Processor)> make_processor_writers(std::index_sequence<Processor...>)
{
    return {make_line_writers<Processor>(std::make_index_sequence<patterns.size>{})...};
}

// The writer of each processor and pattern, and the pattern of each opcode byte.
constexpr std::array<LineWriters, std::size(processors)> line_writers =
    make_processor_writers(std::make_index_sequence<std::size(processors)>{});

struct PatternOf {
    std::uint8_t row[256];
};

constexpr PatternOf make_pattern_of()
{
    static_assert(patterns.size <= 256);
    PatternOf t{};
    for (unsigned code = 0; code < 256; ++code)
        t.row[code] = static_cast<std::uint8_t>(patterns.index(pattern_of(opcode_map[code])));
    return t;
}

constexpr PatternOf opcode_pattern = make_pattern_of();

}  // namespace

std::string_view register_text_of(unsigned n)
{
    const Piece<15>& p = register_text.row[n & 0xFF];
    return {p.text, p.size};
}

void Decod(int op, int p1, int p2, int p3)
{
    // The hex column holds at most 8 address digits, a blank, the opcode and 3 operand bytes.
    static_assert(sizeof hexa > 8 + 1 + 2 + 2 * 3);
    Reader r{op, processors[processor].video, a, hexa + hexa_length, Cursor(param)};
    first_operand(r, p1);
    second_operand(r, p2);
    third_operand(r, p3);
    mnemo = name[r.op];
    mnemo_field = &mnemonic_field.row[r.op];
    a = r.at;
    hexa_length = static_cast<std::size_t>(r.hex - hexa);
    param_length = r.out.size();
}

std::size_t write_four_digit_line(char* line, std::size_t size, std::int32_t address)
{
    const auto shown = static_cast<std::uint32_t>(add32(reloc, address));
    if (shown > 0xFFFF)
        return 0;
    const auto code = static_cast<unsigned char>(Mgetc(address));
    return line_writers[processor][opcode_pattern.row[code]](line, size, address, shown, code);
}

}  // namespace koddar
