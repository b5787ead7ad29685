// Text in the bytes no path reached: a run of printable characters, long enough, that ends
// the way programs end their strings: a 0, CR or LF (with the 0 after them), or a last
// character with its high bit set. A run without such an end stays data.
#include <cstdint>

#include "analysis.h"
#include "claims.h"

namespace koddar {

namespace {

bool line_end(unsigned b)
{
    return b == 0x0D || b == 0x0A;
}

// The offset of the last byte of the terminator at `at`, or -1 when there is none.
std::int32_t terminator_end(const Claims& c, const unsigned char* image, std::int32_t at)
{
    if (!c.free(at))
        return -1;
    const unsigned b = image[at];
    if (b == 0 || (b >= 0x80 && printable(b & 0x7F)))
        return at;
    if (!line_end(b))
        return -1;
    while (c.free(at + 1) && line_end(image[at + 1]))
        ++at;
    if (c.free(at + 1) && image[at + 1] == 0)
        ++at;
    return at;
}

}  // namespace

bool printable(unsigned b)
{
    return b >= 0x20 && b < 0x7F;
}

TextRun text_run_at(const Claims& c, const unsigned char* image, std::int32_t off, int min_length)
{
    std::int32_t end = off;
    while (c.free(end) && printable(image[end]))
        ++end;
    const std::int32_t last = end - off >= min_length ? terminator_end(c, image, end) : -1;
    return last >= 0 ? TextRun{last + 1, true} : TextRun{end, false};
}

int find_text_runs(Map& map, const Trace& trace, const unsigned char* image, std::int32_t length, std::int32_t reloc,
                   int min_length)
{
    const Claims c(map, trace, reloc);
    int runs = 0;
    std::int32_t off = 0;
    while (off < length) {
        if (!c.free(off)) {
            off = c.next_free(off);
            continue;
        }
        if (!printable(image[off])) {
            ++off;
            continue;
        }
        const TextRun run = text_run_at(c, image, off, min_length);
        if (run.text) {
            map.ranges.push_back({add32(reloc, off), add32(reloc, run.end - 1), DataKind::Text, kFoundLine});
            ++runs;
        }
        off = run.end;
    }
    return runs;
}

}  // namespace koddar
