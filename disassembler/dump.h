// The dump loop: one listing line per instruction over the address window.
#pragma once

#include <cstdint>

namespace koddar {

// Lists every instruction from offset `a` that starts before offset nb on the standard
// output; returns the exit status, 1 after erreur(kCannotWrite) when the listing could not
// be written.
int dump(std::int32_t nb);

}  // namespace koddar
