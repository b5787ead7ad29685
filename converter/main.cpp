// melvox: compiles a text score into the note stream of the target computer.
#include "converter.h"
#include "messages.h"
#include "score_compiler.h"

int main(int argc, char* argv[])
{
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
