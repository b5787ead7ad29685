// The dump loop: decode, print, advance, and make sure the listing reached its reader.
#include "dump.h"

#include <cstdio>

#include "decoder.h"
#include "messages.h"

namespace koddar {

int dump(std::int32_t nb)
{
    char ligne[kLineSize];
    while (a < nb) {
        a = Dasmtms7020(ligne, a);
        std::printf("%s\n", ligne);
    }
    // A listing that did not reach its reader is no success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        erreur(kCannotWrite);
        return 1;
    }
    return 0;
}

}  // namespace koddar
