// What each opcode means beyond its texts: how many bytes the instruction takes and what it
// does to the flow of the program, both made from an opcode map as it compiles. The family's
// map has the same operand kinds in every row and changes no branch (family_map.h checks
// it), so the tables made from the target computer's map serve every processor.
#pragma once

#include <array>
#include <cstdint>

#include "opcode_map.h"

namespace koddar {

// The number of bytes of each opcode's instruction, 1 to 4.
using InstructionLengths = std::array<std::uint8_t, 256>;

constexpr InstructionLengths make_instruction_lengths(const Opcode* map)
{
    InstructionLengths lengths{};
    for (unsigned i = 0; i < 256; ++i) {
        const Opcode& e = map[i];
        lengths[i] = static_cast<std::uint8_t>(1 + operand_bytes(e.p1) + operand_bytes(e.p2) + operand_bytes(e.p3));
    }
    return lengths;
}

inline constexpr InstructionLengths instruction_lengths = make_instruction_lengths(opcode_map);
static_assert(instruction_lengths[0x00] == 1 && instruction_lengths[0x8E] == 3 && instruction_lengths[0x88] == 4 &&
              instruction_lengths[0xA6] == 4);

// The number of bytes of the instruction with this opcode.
constexpr int instruction_length(unsigned opcode)
{
    return instruction_lengths[opcode & 0xFF];
}

// Why the flow of an instruction was not followed: Indirect and Indexed are the opcode's own,
// NoVector and Found what the tracer met (a TRAP vector not loaded, code found unreached).
enum class Note : std::uint8_t { None, Indirect, Indexed, NoVector, Found };

// What an opcode's operands mean to the flow: where the operand bytes of a branch address, a
// displacement or a data address start (0: none), and the flow's own rules. A BR or CALL
// through an index or a register cannot be followed; one through an index reads its table.
struct FlowShape {
    std::uint8_t address_at = 0;       // K_ADDR: the target address
    std::uint8_t displacement_at = 0;  // K_REL: always the last byte
    std::uint8_t data_at = 0;          // K_DIRECT or K_INDEXED: the data address
    bool ends = false;                 // JMP, BR, RETS, RETI: no next instruction
    bool trap = false;                 // TRAP: the target is read from the vector table
    bool call = false;                 // CALL or TRAP
    Note note = Note::None;
};

using FlowShapes = std::array<FlowShape, 256>;

constexpr FlowShapes make_flow_shapes(const Opcode* map)
{
    FlowShapes shapes{};
    for (unsigned i = 0; i < 256; ++i) {
        const Opcode& e = map[i];
        FlowShape& s = shapes[i];
        const bool jumps = e.op == BR || e.op == CALL;
        s.ends = e.op == JMP || e.op == BR || e.op == RETS || e.op == RETI;
        s.trap = e.op == TRAP;
        s.call = e.op == CALL || e.op == TRAP;
        int at = 1;  // the operand bytes, in order
        for (int kind : {e.p1, e.p2, e.p3}) {
            const auto here = static_cast<std::uint8_t>(at);
            if (kind == K_ADDR)
                s.address_at = here;
            else if (kind == K_REL)
                s.displacement_at = here;
            else if (kind == K_DIRECT || kind == K_INDEXED)
                s.data_at = here;
            if (kind == K_INDEXED && jumps)
                s.note = Note::Indexed;
            else if (kind == K_INDIRECT && jumps)
                s.note = Note::Indirect;
            at += operand_bytes(kind);
        }
    }
    return shapes;
}

inline constexpr FlowShapes flow_shapes = make_flow_shapes(opcode_map);

// One branch target at most from the operands, so the targets keep the operands' order.
constexpr bool one_target_at_most(const FlowShapes& shapes)
{
    for (const FlowShape& s : shapes)
        if ((s.address_at != 0) + (s.displacement_at != 0) + s.trap > 1)
            return false;
    return true;
}
static_assert(one_target_at_most(flow_shapes));

// Whether an instruction of this shape leaves the flow alone: no target, no data address, no
// note, and the next instruction follows. Most instructions are of this kind, and the tracer
// takes them on without reading their operands.
constexpr bool leaves_flow(const FlowShape& s)
{
    return s.address_at == 0 && s.displacement_at == 0 && s.data_at == 0 && !s.ends && !s.trap && !s.call &&
           s.note == Note::None;
}

constexpr std::array<bool, 256> make_flow_left_alone(const FlowShapes& shapes)
{
    std::array<bool, 256> alone{};
    for (unsigned i = 0; i < 256; ++i)
        alone[i] = leaves_flow(shapes[i]);
    return alone;
}

inline constexpr std::array<bool, 256> flow_left_alone = make_flow_left_alone(flow_shapes);

}  // namespace koddar
