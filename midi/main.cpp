// melmidi: turns a MIDI file into a score that melvox compiles.
#include <unistd.h>

#include <cstdio>

#include "run.h"

int main(int argc, char* argv[])
{
    const int status = melmidi::run(argc, argv);
    // Only -h writes to standard output; a write error may show at the close.
    if (std::fflush(stdout) != 0 || close(STDOUT_FILENO) != 0) {
        if (status == 0)
            std::fputs("Cannot write standard output.\n", stderr);
        return 1;
    }
    return status;
}
