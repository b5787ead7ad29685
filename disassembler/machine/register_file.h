// The register file and the ports as the target computer's programs name them: the register
// table `registre`, the text of every register byte, and which words of a source or a map are
// operands rather than names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace koddar {

// The target computer's names for the first registers of the register file; the rest are
// "R" and the number. Indexed by register number.
// clang-format off
inline constexpr const char* registre[] = {
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

// The registers from here on are named by their number alone.
constexpr unsigned kFirstNumberedRegister = 36;

namespace register_checks {

// The number n written after `letter` in decimal without leading zeros, from 1 to 3 digits;
// -1 for any other text.
constexpr int numbered(std::string_view text, char letter)
{
    if (text.size() < 2 || text.size() > 4 || text[0] != letter)
        return -1;
    int n = 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        n = n * 10 + (text[i] - '0');
    }
    return n;
}

constexpr bool numbered_registers_are_named_by_number()
{
    for (unsigned n = kFirstNumberedRegister; n < std::size(registre); ++n) {
        const std::string_view text = registre[n];
        if (numbered(text, 'R') != static_cast<int>(n) || text[1] == '0')
            return false;
    }
    return true;
}
static_assert(numbered_registers_are_named_by_number(), "registers 36 to 127 are named R36 to R127");

}  // namespace register_checks

// The text of every register byte: the table's name for 0 to 127, and past the table's 128
// entries its pattern continued, "R128" to "R255".
struct RegisterTexts {
    struct Text {
        char text[9];
        std::uint8_t size;
    } row[256];
};

constexpr RegisterTexts make_register_texts()
{
    RegisterTexts t{};
    for (unsigned n = 0; n < 256; ++n) {
        RegisterTexts::Text& r = t.row[n];
        if (n < std::size(registre)) {
            for (const char* c = registre[n]; *c != '\0'; ++c)
                r.text[r.size++] = *c;
        } else {
            r.text[r.size++] = 'R';
            r.text[r.size++] = static_cast<char>('0' + n / 100);
            r.text[r.size++] = static_cast<char>('0' + n / 10 % 10);
            r.text[r.size++] = static_cast<char>('0' + n % 10);
        }
    }
    return t;
}

inline constexpr RegisterTexts register_texts = make_register_texts();

// The text that names register byte n (0 to 255) in the listing.
constexpr std::string_view register_text(unsigned n)
{
    const RegisterTexts::Text& r = register_texts.row[n & 0xFF];
    return {r.text, r.size};
}

// A, B and ST: words that are operand forms of their own (the accumulators and the status
// register), so that no map or source may use them as a name. Compared as written.
constexpr bool is_builtin_operand(std::string_view word)
{
    return word == "A" || word == "B" || word == "ST";
}

// The register an upper-case word names, as the listing prints it (FLGCOM, SUICOM-1, R200) or
// as Rn with n from 0 to 255 in up to three digits; -1 when it names none. A and B are left
// out: they are operand forms of their own.
constexpr int register_number(std::string_view upper)
{
    for (unsigned n = 2; n < kFirstNumberedRegister; ++n)
        if (upper == registre[n])
            return static_cast<int>(n);
    const int n = register_checks::numbered(upper, 'R');
    return n <= 255 ? n : -1;
}

// The port an upper-case word Pn names, n from 0 to 255 in up to three digits; -1 for none.
constexpr int port_number(std::string_view upper)
{
    const int n = register_checks::numbered(upper, 'P');
    return n <= 255 ? n : -1;
}

// Whether an upper-case word is read as a register or port operand wherever an operand may
// stand, so that it cannot be a label: A, B, ST, every register text, Rn and Pn.
constexpr bool is_register_word(std::string_view upper)
{
    return is_builtin_operand(upper) || register_number(upper) >= 0 || port_number(upper) >= 0;
}

static_assert(register_text(0) == "A" && register_text(35) == "VDP06" && register_text(200) == "R200");
static_assert(register_number("SUICOM-1") == 5 && register_number("R200") == 200 && register_number("R256") == -1 &&
              register_number("A") == -1 && port_number("P46") == 46 && is_register_word("ST") &&
              !is_register_word("START"));

}  // namespace koddar
