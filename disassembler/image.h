// Loading the code image, the error messages, the address window and the dump loop.
#pragma once

#include <cstdint>

namespace koddar {

// Error codes of erreur.
constexpr int kMemoryProblem = 2;
constexpr int kCannotOpen = 3;
constexpr int kOutOfRange = 4;

// Prints the message of code err on the standard error.
void erreur(int err);

// Reads at most kImageSize bytes of fichier into image with one read; returns the number
// read, or 0 after erreur(kCannotOpen) when the file cannot be opened or yields no byte.
std::int32_t load(const char* fichier, unsigned char* image);

// Fixes the window over the nb loaded bytes: defaults debut and fin to the first and last
// loaded address, checks both lie within the data, sets `a` to the start offset and nb to
// the end offset plus one. Returns false after erreur(kOutOfRange).
bool fix_window(std::int32_t& nb);

// Lists every instruction from offset `a` that starts before offset nb on the standard
// output; returns the exit status, 1 when the listing could not be written.
int dump(std::int32_t nb);

}  // namespace koddar
