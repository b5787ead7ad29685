// The TMS7000 family's standard opcode map. It is the target computer's map (opcode_map.h)
// but for three rows, so only those rows are written here: where the target computer has
// two undefined opcodes and its video read LVDP, every other part of the family has SWAP.
#pragma once

#include <array>

#include "opcode_map.h"

namespace koddar {

// The rows of the family's map that differ from the target computer's.
struct MapChange {
    std::uint8_t code;
    Opcode row;
};

// clang-format off
inline constexpr MapChange family_changes[] = {
    {0xB7, {SWAP, K_A,   K_NONE, K_NONE}},
    {0xC7, {SWAP, K_B,   K_NONE, K_NONE}},
    {0xD7, {SWAP, K_REG, K_NONE, K_NONE}},
};
// clang-format on

constexpr std::array<Opcode, 256> make_family_map()
{
    std::array<Opcode, 256> map{};
    for (unsigned code = 0; code < 256; ++code)
        map[code] = opcode_map[code];
    for (const MapChange& c : family_changes)
        map[c.code] = c.row;
    return map;
}

inline constexpr std::array<Opcode, 256> family_map = make_family_map();

namespace opcode_map_checks {

static_assert(every_row(family_map.data(), names_a_mnemonic), "every row names a mnemonic, never WVDP");
static_assert(every_row(family_map.data(), traps_count_down), "TRAP rows are E8 to FF");
static_assert(every_row(family_map.data(), kinds_in_place), "a kind code allowed in each position");
static_assert(every_row(family_map.data(), operands_from_the_first), "operands fill the positions in order");
static_assert(every_row(family_map.data(), displacement_last), "a displacement is the last byte");
static_assert(every_row(family_map.data(), at_most_three_bytes), "at most three operand bytes");
static_assert(every_row(family_map.data(), undefined_reads_nothing), "an undefined opcode reads nothing");
// Both maps give every opcode the same operand kinds, hence the same length, flow and line
// writer: only the mnemonic of a changed row differs, and it is no branch. So the tracer's
// and the formatter's tables made from the target computer's map serve both.
static_assert(every_row(family_map.data(),
                        [](unsigned c, const Opcode& e) {
                            const Opcode& t = opcode_map[c];
                            return e.p1 == t.p1 && e.p2 == t.p2 && e.p3 == t.p3;
                        }),
              "the same operand kinds in both maps");
static_assert(every_row(family_map.data(),
                        [](unsigned c, const Opcode& e) {
                            bool changed = false;
                            for (const MapChange& m : family_changes)
                                changed = changed || m.code == c;
                            return changed ? e.op == SWAP && opcode_map[c].op != e.op : e.op == opcode_map[c].op;
                        }),
              "the changed rows are SWAP, every other row is the target computer's");

}  // namespace opcode_map_checks

}  // namespace koddar
