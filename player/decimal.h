// Decimal texts without printf, each equal to what printf prints for the same value: the
// listing prints thousands of times and durations, and the decompiler tries decimal texts
// for each duration.
#pragma once

#include <cstddef>
#include <cstdint>

namespace melplay {

// Room for any text these functions write.
constexpr std::size_t kDecimalRoom = 48;

// "%u" (or "%zu") of v into out; returns the length.
std::size_t unsigned_text(std::uint64_t v, char* out);

// "%.*f" of x with `decimals` (0 to 17) into out, for a finite x from 0 up to 2^53; returns
// the length, or 0 for any other x, which the caller then gives to printf. The exact binary
// value is rounded to the nearest text, a tie to the even last digit, as printf does.
std::size_t fixed_text(double x, int decimals, char* out);

// q / 10^decimals in fixed notation with `decimals` decimals (0 to 17), as "%.*f" prints that
// value; returns the length.
std::size_t scaled_text(std::uint64_t q, int decimals, char* out);

// The double nearest to the decimal q / 10^decimals, as strtod reads its text, for q below
// 2^53 and decimals 0 to 22 (q and the power of ten are then exact, and one division rounds
// once); false for any other q or decimals.
bool decimal_value(std::uint64_t q, int decimals, double& value);

}  // namespace melplay
