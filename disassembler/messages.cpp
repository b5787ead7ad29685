// The messages of erreur. The texts are part of the program's interface: they stay byte for
// byte.
#include "messages.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace koddar {

void cannot_write_output(int err)
{
    std::fprintf(stderr, "Cannot write standard output: %s.\n", std::strerror(err != 0 ? err : EIO));
}

void erreur(int err)
{
    switch (err) {
    case kMemoryProblem: std::fputs("Memory problem.\n", stderr); break;
    case kCannotOpen: std::fputs("Cannot open source file.\n", stderr); break;
    case kOutOfRange: std::fputs("Dump address out of range.\n", stderr); break;
    case kCannotWrite: cannot_write_output(errno); break;
    default: break;
    }
}

}  // namespace koddar
