// Code in the gaps: routines that no path reaches. A gap is a run of bytes that neither the
// trace nor a range of the map claims, cut where code refers to a byte as data (a table starts
// there, so from it on the gap stays data) and around text (a text run as the text rule reads
// it stays data, even when that rule is off: a string ending in LF would otherwise decode as
// code that ends in RETS). Padding of 00 or FF at either end is left out.
// What is left is taken as code only when all of it decodes, instruction after instruction,
// as routines: defined opcodes only, the last instruction a JMP, BR, RETS or RETI ending
// exactly at the gap's end, every branch landing on one of these instructions or on traced
// code, at least kMinInstructions instructions, and no routine of a single one (a fill of
// RETS bytes is no code). Two words that both hold the address of
// traced code start a table of addresses, not code.
#include <algorithm>
#include <cstdint>

#include "analysis.h"
#include "claims.h"
#include "active_map.h"

namespace koddar {

namespace {

constexpr int kMinInstructions = 3;  // in a gap, and 2 in each routine of it
constexpr int kPaddingRun = 4;

bool padding(unsigned b)
{
    return b == 0x00 || b == 0xFF;
}

bool padding_run(const unsigned char* image, std::int32_t length, std::int32_t off)
{
    if (length - off < kPaddingRun || !padding(image[off]))
        return false;
    for (int i = 1; i < kPaddingRun; ++i)
        if (image[off + i] != image[off])
            return false;
    return true;
}

class GapReader {
public:
    GapReader(const Trace& trace, const unsigned char* image, std::int32_t length, std::int32_t reloc)
        : trace_(trace), image_(image), length_(length), reloc_(reloc)
    {
    }

    // The starts of the routines that fill [from, to) exactly, or none.
    std::vector<std::int32_t> routines(std::int32_t from, std::int32_t to) const;

private:
    bool traced_start(std::int32_t off) const
    {
        return off >= 0 && off < length_ && trace_.use[static_cast<std::size_t>(off)] == Use::Code;
    }
    bool address_table(std::int32_t from, std::int32_t to) const;

    const Trace& trace_;
    const unsigned char* image_;
    std::int32_t length_;
    std::int32_t reloc_;
};

bool GapReader::address_table(std::int32_t from, std::int32_t to) const
{
    if (to - from < 4)
        return false;
    for (std::int32_t at = from; at < from + 4; at += 2)
        if (!traced_start(sub32(static_cast<std::int32_t>(image_[at] << 8 | image_[at + 1]), reloc_)))
            return false;
    return true;
}

std::vector<std::int32_t> GapReader::routines(std::int32_t from, std::int32_t to) const
{
    while (from < to && padding(image_[from]))
        ++from;
    while (to > from && padding(image_[to - 1]))
        --to;
    if (to - from < kMinInstructions || address_table(from, to))
        return {};
    std::vector<bool> start(static_cast<std::size_t>(to - from), false);
    std::vector<std::int32_t> targets;
    std::vector<std::int32_t> heads{from};
    const Opcode* map = active_map();
    int count = 0;
    int in_routine = 0;
    bool ended = false;
    for (std::int32_t off = from; off < to; ++count, ++in_routine) {
        if (ended) {
            if (in_routine < 2)
                return {};
            heads.push_back(off);
            in_routine = 0;
        }
        const unsigned opcode = image_[off];
        const std::int32_t next = off + instruction_length(opcode);
        if (map[opcode].op == UNDEF || next > to)
            return {};
        const Flow f = flow_at(image_, length_, reloc_, off);
        if (f.note == Note::NoVector)
            return {};
        for (int i = 0; i < f.targets; ++i)
            targets.push_back(sub32(f.target[i], reloc_));
        start[static_cast<std::size_t>(off - from)] = true;
        ended = f.ends;
        off = next;
    }
    if (!ended || count < kMinInstructions || in_routine < 2)
        return {};
    for (const std::int32_t t : targets) {
        const bool here = t >= from && t < to && start[static_cast<std::size_t>(t - from)];
        if (!here && !traced_start(t))
            return {};
    }
    return heads;
}

void add_routines(const std::vector<std::int32_t>& heads, std::int32_t reloc, std::vector<std::int32_t>& found)
{
    for (const std::int32_t head : heads)
        found.push_back(add32(reloc, head));
}

}  // namespace

std::vector<std::int32_t> gap_routines(const Map& map, const Trace& trace, const unsigned char* image,
                                       std::int32_t length, std::int32_t reloc)
{
    const Claims claims(map, trace, reloc);
    const GapReader reader(trace, image, length, reloc);
    std::vector<std::int32_t> found;
    std::int32_t off = 0;
    while (off < length) {
        if (!claims.free(off)) {
            off = claims.next_free(off);
            continue;
        }
        if (claims.referenced(off)) {  // data, up to a claimed byte or padding
            ++off;
            while (claims.free(off) && !padding_run(image, length, off))
                ++off;
            continue;
        }
        std::int32_t end = off;
        while (claims.free(end) && !claims.referenced(end))
            ++end;
        std::int32_t from = off;
        for (std::int32_t at = off; at < end;) {
            if (!printable(image[at])) {
                ++at;
                continue;
            }
            const TextRun run = text_run_at(claims, image, at, kTextLength);
            if (run.text) {
                add_routines(reader.routines(from, at), reloc, found);
                from = std::min(run.end, end);
            }
            at = run.end;
        }
        add_routines(reader.routines(from, end), reloc, found);
        off = end;
    }
    return found;
}

}  // namespace koddar
