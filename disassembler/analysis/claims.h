// What the analysis rules share: which bytes of the image are spoken for, by the trace, a range
// of the map or an entry point of it (one whose path stopped at once is the user's word still),
// and which addresses something refers to.
#pragma once

#include <cstdint>
#include <vector>

#include "address.h"
#include "map.h"
#include "tracer.h"

namespace koddar {

struct Claims {
    std::vector<bool> taken;       // per offset: code, or in a range of the map
    std::vector<bool> referenced;  // per offset: the target of a reference

    Claims(const Map& map, const Trace& trace, std::int32_t reloc)
        : taken(trace.use.size()), referenced(trace.use.size())
    {
        for (std::size_t i = 0; i < taken.size(); ++i)
            taken[i] = trace.use[i] != Use::Data;
        for (const MapRange& r : map.ranges)
            for (std::int32_t at = r.start; at <= r.end; ++at)
                taken[static_cast<std::size_t>(sub32(at, reloc))] = true;
        for (const MapEntry& e : map.entries)
            taken[static_cast<std::size_t>(sub32(e.address, reloc))] = true;
        for (const Ref& r : trace.refs) {
            const std::int32_t off = sub32(r.target, reloc);
            if (off >= 0 && static_cast<std::size_t>(off) < referenced.size())
                referenced[static_cast<std::size_t>(off)] = true;
        }
    }

    bool free(std::int32_t off) const
    {
        return off >= 0 && static_cast<std::size_t>(off) < taken.size() && !taken[static_cast<std::size_t>(off)];
    }
};

// A printable character of a text run.
bool printable(unsigned b);

// The run of printable characters from `off` on, of bytes that nothing claims: `end` is past
// its terminator when it is text (at least `min_length` characters, then a 0, CR or LF with the
// CR, LF and 0 after them, or a printable character with its high bit set), else past the run.
struct TextRun {
    std::int32_t end;
    bool text;
};
TextRun text_run_at(const Claims& c, const unsigned char* image, std::int32_t off, int min_length);

}  // namespace koddar
