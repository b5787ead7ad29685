// The messages of erreur. The texts are part of the program's interface: they stay byte for
// byte.
#include "messages.h"

#include <cstdio>

namespace koddar {

void erreur(int err)
{
    switch (err) {
    case kMemoryProblem: std::fputs("Memory problem.\n", stderr); break;
    case kCannotOpen: std::fputs("Cannot open source file.\n", stderr); break;
    case kOutOfRange: std::fputs("Dump address out of range.\n", stderr); break;
    case kCannotWrite: std::fputs("Cannot write listing.\n", stderr); break;
    default: break;
    }
}

}  // namespace koddar
