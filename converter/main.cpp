// melvox: compiles a text score into the note stream of the target computer.
#include <cstdio>

#include "converter.h"
#include "messages.h"
#include "score_compiler.h"

int main(int argc, char* argv[])
{
    // Everything melvox prints on standard output is whole already (the banner and the usage
    // line, the echo gathered in large pieces by the score compiler): each piece goes out in
    // one write, with no copy through a buffer of the stream's own.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
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
