// The dump loop: decode, print, advance, and make sure the listing reached its reader.
#include "dump.h"

#include <cstdio>

#include "decoder.h"

namespace koddar {

int dump(std::int32_t nb)
{
    // Lines are written straight into one output buffer, which goes out whenever the next
    // line might not fit; after a failed write the listing stops.
    static char out[1 << 16];
    std::size_t used = 0;
    bool written = true;
    while (written && a < nb) {
        if (sizeof out - used < kLineSize + 1) {
            written = std::fwrite(out, 1, used, stdout) == used;
            used = 0;
        }
        std::size_t size = write_four_digit_line(out + used, kLineSize, a);
        if (size == 0) {
            a = Dasmtms7020(out + used, a);
            size = line_size;
        }
        used += size;
        out[used++] = '\n';
    }
    written = written && std::fwrite(out, 1, used, stdout) == used;
    // A listing that did not reach its reader is no success.
    if (!written || std::fflush(stdout) != 0 || std::ferror(stdout))
        return kListingUnwritten;
    return 0;
}

}  // namespace koddar
