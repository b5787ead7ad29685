// Decompiling: a score text that the converter compiles back to the same stream bytes.
#pragma once

#include <string>

#include "stream.h"

namespace melplay {

constexpr int kType1Tempo = 60;
constexpr int kType3Tempo = 3960;
// The converter refuses a score text of this many bytes or more, and a stream longer than
// this many bytes.
constexpr std::size_t kConverterTextLimit = 64000;
constexpr std::size_t kConverterStreamLimit = 32000;

// The float duration nearest to divisor / frequency that the converter turns into exactly
// `divisor` at tempo 60 in type 1; 0 if none was found.
float type1_duration(int code, unsigned divisor);

// Fixed notation with the fewest decimals that read back (through double, then float) to d.
std::string shortest_fixed(float d);

// The score text; false with a message in `error` if a divisor could not be reached.
bool score_text(const Stream& stream, int type, std::string& text, std::string& error);

}  // namespace melplay
