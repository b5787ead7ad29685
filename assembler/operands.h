// Reading one operand of an instruction into its form: A, B, ST, %n or #n, @x, @x(B) or x(B),
// *register, or an expression whose value names a register, a port or a number.
#pragma once

#include "encoding.h"
#include "expression.h"

namespace kodasm {

// Reads the operand at the cursor; false after the context reported the fault.
bool read_operand(Cursor& c, Context& context, Operand& op);

}  // namespace kodasm
