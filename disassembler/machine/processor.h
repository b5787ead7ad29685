// A member of the processor family as koddar and kodasm see it: its opcode map with the tables
// made from it, and its video port. The target computer's processor is the one that exists
// today; another member's map sits beside it as another Processor, chosen at run time.
#pragma once

#include "instructions.h"
#include "opcode_map.h"

namespace koddar {

// The target computer's video port: MOVP to it is the video write WVDP.
constexpr unsigned kVideoPort = 46;

struct Processor {
    const OpcodeMap& opcodes;
    const InstructionLengths& lengths;
    const FlowShapes& flows;
    int video_port;  // MOVP to this port lists as WVDP; -1: none, every port is an ordinary one
};

// The TMS7020 of the target computer, with LVDP and WVDP.
inline constexpr Processor target_processor{opcode_map, instruction_lengths, flow_shapes, kVideoPort};

}  // namespace koddar
