// The fast line writers: a listing line with a four-digit address written in place, made
// once for each pattern of operand kinds in the opcode map.
#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "address.h"
#include "decoder.h"
#include "fields.h"
#include "opcode_map.h"
#include "operand_reader.h"
#include "text.h"

namespace koddar {

namespace {

using namespace operand_texts;

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
    store_hex4(line, shown);
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

std::size_t write_four_digit_line(char* line, std::size_t size, std::int32_t address)
{
    const auto shown = static_cast<std::uint32_t>(add32(reloc, address));
    if (shown > 0xFFFF)
        return 0;
    const auto code = static_cast<unsigned char>(Mgetc(address));
    return line_writers[processor][opcode_pattern.row[code]](line, size, address, shown, code);
}

}  // namespace koddar
