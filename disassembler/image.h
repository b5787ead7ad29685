// Loading the code image.
#pragma once

#include <cstdint>

namespace koddar {

// Reads at most kImageSize bytes of fichier into image with one read; returns the number
// read, or 0 after erreur(kCannotOpen) when the file cannot be opened or yields no byte.
std::int32_t load(const char* fichier, unsigned char* image);

// Set by load when the file holds more than kImageSize bytes, of which the rest was not read.
extern bool image_cut_short;

}  // namespace koddar
