// The dump loop: one listing line per instruction over the address window.
#pragma once

#include <cstdint>

namespace koddar {

// What a listing returns when it could not reach its reader, for the frame to say so; the
// listings return 0 when done and 1 after a message of their own.
constexpr int kListingUnwritten = 2;

// Lists every instruction from offset `a` that starts before offset nb on the standard
// output; returns 0, or kListingUnwritten.
int dump(std::int32_t nb);

}  // namespace koddar
