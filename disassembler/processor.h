// The processors koddar decodes for (-c:NAME, and kodasm's CPU): each an opcode map and
// whether the target computer's video port rules apply.
#pragma once

#include <string_view>

#include "family_map.h"
#include "opcode_map.h"

namespace koddar {

struct Processor {
    const char* name;       // as -c: takes it, lower case
    const Opcode* opcodes;  // its opcode map, 256 rows
    bool video;             // MOVP to port 46 is the target computer's WVDP
};

// The first is the default: the target computer's map.
inline constexpr Processor processors[] = {
    {"tms7020", opcode_map, true},
    {"tms7040", opcode_map, true},
    {"tms7000", family_map.data(), false},
};
inline constexpr std::size_t kTargetProcessor = 0;
inline constexpr std::size_t kFamilyProcessor = 2;

// The processor decoding now: an index into `processors`, kTargetProcessor unless -c: chose
// another. The decoder, the tracer and the source writer read its map.
extern std::size_t processor;

inline const Opcode* active_map()
{
    return processors[processor].opcodes;
}

// The index of the processor named `text` (letters in either case), or std::size(processors).
std::size_t find_processor(std::string_view text);

}  // namespace koddar
