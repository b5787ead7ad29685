// melplay: checks, lists, previews and decompiles a note stream.
#include "run.h"

int main(int argc, char* argv[])
{
    return melplay::run(argc, argv);
}
