// Loading the code image.
#pragma once

#include <cstdint>

namespace koddar {

// Reads at most kImageSize bytes of fichier into image with one read; returns the number
// read, or 0 after erreur(kCannotOpen) when the file cannot be opened or yields no byte.
// Sets *cut_short, where given, when the file holds more bytes, which were not read.
std::int32_t load(const char* fichier, unsigned char* image, bool* cut_short = nullptr);

}  // namespace koddar
