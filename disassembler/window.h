// The address window: the start and end addresses checked against the loaded image.
#pragma once

#include <cstdint>

namespace koddar {

// Fixes the window over the nb loaded bytes: defaults debut and fin to the first and last
// loaded address, checks both lie within the data, sets `a` to the start offset and nb to
// the end offset plus one. Returns false after erreur(kOutOfRange).
bool fix_window(std::int32_t& nb);

}  // namespace koddar
