// Loading the code image: one bounded read of the source file.
#include "image.h"

#include <cstdio>

#include "decoder.h"
#include "messages.h"

namespace koddar {

std::int32_t load(const char* fichier, unsigned char* image, bool* cut_short)
{
    std::FILE* file = std::fopen(fichier, "rb");
    if (file == nullptr) {
        erreur(kCannotOpen);
        return 0;
    }
    // A directory opens but yields no byte, like an empty file. Bytes past the image size
    // are never read.
    const std::size_t longueur = std::fread(image, 1, kImageSize, file);
    if (cut_short != nullptr)
        *cut_short = longueur == kImageSize && std::fgetc(file) != EOF;
    std::fclose(file);
    if (longueur == 0)
        erreur(kCannotOpen);
    return static_cast<std::int32_t>(longueur);
}

}  // namespace koddar
