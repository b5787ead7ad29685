// koddar: lists a TMS7000-family code image as TMS7020/7040 assembly.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "arguments.h"
#include "decoder.h"
#include "dump.h"
#include "image.h"
#include "mapped_dump.h"
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
    int status = 1;
    if (nb != 0 && fix_window(nb)) {
        if (source_output && image_cut_short)  // source of part of a file would pass for the whole
            std::fprintf(stderr, "Source output needs a file of at most %d bytes.\n", kImageSize);
        else if (source_output)
            status =
                map_file != nullptr ? write_mapped_source(stdout, nb, map_file, map_out) : write_source(stdout, nb);
        else
            status = map_file != nullptr ? dump_mapped(nb, map_file, map_out) : dump(nb);
    }
    if (status == kListingUnwritten) {
        erreur(kCannotWrite);
        status = 1;
    }
    std::free(buffer);
    // dump() has flushed and checked the listing; a write error may still show at the close.
    if (status == 0 && close(STDOUT_FILENO) != 0) {
        cannot_write_output(errno);
        status = 1;
    }
    return status;
}
