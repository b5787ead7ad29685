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
    Options options;
    if (ManageArguments(argc, argv, options) != 0)
        return 1;
    buffer = static_cast<unsigned char*>(std::malloc(kImageSize));
    if (buffer == nullptr) {
        erreur(kMemoryProblem);
        return 1;
    }
    bool cut_short = false;
    std::int32_t nb = load(source, buffer, &cut_short);
    loaded_length = nb;
    const bool mapped = options.map.map_file != nullptr;
    int status = 1;
    if (nb != 0 && fix_window(nb)) {
        if (options.source_output && cut_short)  // source of part of a file would pass for the whole
            std::fprintf(stderr, "Source output needs a file of at most %d bytes.\n", kImageSize);
        else if (options.source_output)
            status = mapped ? write_mapped_source(stdout, nb, options.map) : write_source(stdout, nb);
        else
            status = mapped ? dump_mapped(nb, options.map) : dump(nb);
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
