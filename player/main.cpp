// melplay: checks, lists, previews and decompiles a note stream.
#include <unistd.h>

#include <cstdio>

#include "run.h"

int main(int argc, char* argv[])
{
    const int status = melplay::run(argc, argv);
    // run() has flushed and checked the listing; a write error may still show at the close.
    if (std::fflush(stdout) != 0 || close(STDOUT_FILENO) != 0) {
        if (status == 0)
            std::fputs("Cannot write standard output.\n", stderr);
        return 1;
    }
    return status;
}
