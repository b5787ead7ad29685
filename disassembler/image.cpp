// Loading the code image, the error messages, the address window and the dump loop.
#include "image.h"

#include <cstdio>

#include "address.h"
#include "arguments.h"
#include "decoder.h"

namespace koddar {

void erreur(int err)
{
    switch (err) {
    case kMemoryProblem: std::fputs("Memory problem.\n", stderr); break;
    case kCannotOpen: std::fputs("Cannot open source file.\n", stderr); break;
    case kOutOfRange: std::fputs("Dump address out of range.\n", stderr); break;
    default: break;
    }
}

std::int32_t load(const char* fichier, unsigned char* image)
{
    std::FILE* file = std::fopen(fichier, "rb");
    if (file == nullptr) {
        erreur(kCannotOpen);
        return 0;
    }
    // A directory opens but yields no byte, like an empty file. Bytes past the image size
    // are never read.
    const std::size_t longueur = std::fread(image, 1, kImageSize, file);
    std::fclose(file);
    if (longueur == 0)
        erreur(kCannotOpen);
    return static_cast<std::int32_t>(longueur);
}

bool fix_window(std::int32_t& nb)
{
    // May wrap to a negative address, which then fails any explicit -s or -e.
    const std::int32_t last = sub32(add32(nb, reloc), 1);
    if (debut == 0) {
        debut = reloc;
    } else if (last < debut) {
        erreur(kOutOfRange);
        return false;
    }
    if (fin == 0) {
        fin = last;
    } else if (last < fin) {
        erreur(kOutOfRange);
        return false;
    }
    nb = add32(sub32(fin, reloc), 1);
    a = sub32(debut, reloc);
    return true;
}

int dump(std::int32_t nb)
{
    // Lines are written straight into one output buffer, which goes out whenever the next
    // line might not fit; after a failed write the listing stops.
    static char out[1 << 16];
    std::size_t used = 0;
    bool written = true;
    while (written && a < nb) {
        if (sizeof out - used < kLineSize + 1) {
            written = std::fwrite(out, 1, used, stdout) == used;
            used = 0;
        }
        a = Dasmtms7020(out + used, a);
        used += line_size;
        out[used++] = '\n';
    }
    written = written && std::fwrite(out, 1, used, stdout) == used;
    // A listing that did not reach its reader is no success.
    if (!written || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("Cannot write listing.\n", stderr);
        return 1;
    }
    return 0;
}

}  // namespace koddar
