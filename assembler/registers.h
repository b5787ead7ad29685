// The register names kodasm reads: the very texts koddar prints for each register-file byte.
#pragma once

#include <string>

namespace kodasm {

// The number of a register written by its name (FLGCOM, SUICOM-1, ...) or as Rn, given in
// upper case; -1 when the text names no register. A and B are not looked up here: they are
// operand forms of their own.
int register_number(const std::string& upper);

// The number n of "Pn" in upper case, 0 to 255, or -1.
int port_number(const std::string& upper);

}  // namespace kodasm
