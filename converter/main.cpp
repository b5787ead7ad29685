// melvox: compiles a text score into the note stream of the target computer.
#include <csignal>
#include <cstdio>

#include "converter.h"
#include "messages.h"
#include "score_compiler.h"

int main(int argc, char* argv[])
{
    // A reader that goes away (`melvox score.txt out.bin | head -1`) costs the echo, never the
    // target: the writes fail and finish reports it, where the signal would end the run.
    std::signal(SIGPIPE, SIG_IGN);
    // Everything melvox prints on standard output is whole already (the banner and the usage
    // line, the echo gathered in large pieces by the score compiler): each piece goes out in
    // one write, with no copy through a buffer of the stream's own.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // Not even the banner may go into the score.
    if (StdoutIsSource(argc, argv)) {
        erreur(kSameOutput);
        return 1;
    }
    banner();
    if (ManageArguments(argc, argv))
        return finish(1);
    if (init()) {
        end();
        return finish(1);
    }
    LengthIN = load();
    int status = 1;
    if (LengthIN != 0 && MUSConv() == 0 && save() >= 0)
        status = 0;
    end();
    return finish(status);
}
