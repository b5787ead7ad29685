// The processors koddar decodes for (-c:NAME, and kodasm's CPU): each an opcode map and
// whether the target computer's video port rules apply.
#pragma once

#include <cctype>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <string_view>

#include "family_map.h"
#include "opcode_map.h"

namespace koddar {

// The target computer's video port: MOVP to it is the video write WVDP.
constexpr unsigned kVideoPort = 46;

struct Processor {
    const char* name;       // as -c: takes it, lower case
    const Opcode* opcodes;  // its opcode map, 256 rows
    bool video;             // MOVP to kVideoPort is the target computer's WVDP
};

// The first is the default: the target computer's map.
inline constexpr Processor processors[] = {
    {"tms7020", opcode_map, true},
    {"tms7040", opcode_map, true},
    {"tms7000", family_map.data(), false},
};
inline constexpr std::size_t kTargetProcessor = 0;
inline constexpr std::size_t kFamilyProcessor = 2;

// The index of the processor named `text` (letters in either case), or std::size(processors).
inline std::size_t find_processor(std::string_view text)
{
    std::size_t i = 0;
    for (; i < std::size(processors); ++i) {
        const char* known = processors[i].name;
        bool same = std::strlen(known) == text.size();
        for (std::size_t k = 0; same && k < text.size(); ++k)
            same = std::tolower(static_cast<unsigned char>(text[k])) == known[k];
        if (same)
            break;
    }
    return i;
}

}  // namespace koddar
