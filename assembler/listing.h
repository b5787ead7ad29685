// The assembler's listing: every source line with its address and bytes, then the symbol table.
#pragma once

#include <string>

#include "assembler.h"

namespace kodasm {

// The listing of an assembly made with Options::listing (kodasm(1) describes its columns).
std::string listing(const Assembly& assembly);

}  // namespace kodasm
