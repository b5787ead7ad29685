// The processor whose opcode map decodes the image: part of the decoder state, chosen by -c:
// or kodasm's CPU.
#pragma once

#include <cstddef>

#include "opcode_map.h"
#include "processor.h"

namespace koddar {

// An index into `processors`, kTargetProcessor unless -c: chose another. The decoder, the
// tracer, the analysis and the source writer read its map.
extern std::size_t processor;

inline const Opcode* active_map()
{
    return processors[processor].opcodes;
}

}  // namespace koddar
