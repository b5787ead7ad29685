// melplay: checks, lists, previews and decompiles a note stream.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "run.h"

int main(int argc, char* argv[])
{
    // A reader that goes away (`melplay s.bin -w:s.wav | head -1`) costs the listing, not the
    // preview: the write fails and is reported, where the signal would end the run.
    std::signal(SIGPIPE, SIG_IGN);
    const int status = melplay::run(argc, argv);
    // run() has flushed and checked the listing; a write error may still show at the close.
    if (std::fflush(stdout) != 0 || close(STDOUT_FILENO) != 0) {
        if (status == 0)
            std::fprintf(stderr, "Cannot write standard output: %s.\n", std::strerror(errno));
        return 1;
    }
    return status;
}
