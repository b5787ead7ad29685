// koddar: lists a TMS7000-family code image as TMS7020/7040 assembly.
#include <cstdio>
#include <cstdlib>

#include "arguments.h"
#include "decoder.h"
#include "dump.h"
#include "image.h"
#include "messages.h"
#include "source_writer.h"
#include "window.h"

int main(int argc, char** argv)
{
    using namespace koddar;
    std::fputs("Koddar - TMS7020/7040 disassembler - version 2010.01\n", stderr);
    if (ManageArguments(argc, argv) != 0)
        return 1;
    buffer = static_cast<unsigned char*>(std::malloc(kImageSize));
    if (buffer == nullptr) {
        erreur(kMemoryProblem);
        return 1;
    }
    std::int32_t nb = load(source, buffer);
    loaded_length = nb;
    const int status = nb != 0 && fix_window(nb) ? (source_output ? write_source(stdout, nb) : dump(nb)) : 1;
    std::free(buffer);
    return status;
}
