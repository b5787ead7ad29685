// The listing of what was assembled, in koddar's listing format.
#pragma once

#include <string>

#include "assembler.h"

namespace kodasm {

// The lines koddar prints for the assembled bytes placed at their first address: the
// disassembler's own decoder makes them, so both listings agree by construction.
std::string listing(const Assembly& assembly);

}  // namespace kodasm
