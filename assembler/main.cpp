// kodasm: assembles TMS7020/7040 source in koddar's listing syntax into a code image.
#include "run.h"

int main(int argc, char* argv[])
{
    return kodasm::run(argc, argv);
}
