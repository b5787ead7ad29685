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

class Claims {
public:
    Claims(const Map& map, const Trace& trace, std::int32_t reloc) : flags_(trace.use.size())
    {
        // One byte of flags per offset, set in one pass over each source: every rule reads them
        // byte by byte over the whole image, several times a run.
        for (std::size_t i = 0; i < flags_.size(); ++i)
            flags_[i] = trace.use[i] != Use::Data ? kTaken : 0;
        for (const MapRange& r : map.ranges)
            for (std::int32_t at = r.start; at <= r.end; ++at)
                take(sub32(at, reloc));
        for (const MapEntry& e : map.entries)
            take(sub32(e.address, reloc));
        for (const Ref& r : trace.refs) {
            const std::int32_t off = sub32(r.target, reloc);
            if (inside(off))
                flags_[static_cast<std::size_t>(off)] |= kReferenced;
        }
    }

    // Whether the offset lies in the image and nothing claims it.
    bool free(std::int32_t off) const { return inside(off) && (flags_[static_cast<std::size_t>(off)] & kTaken) == 0; }
    // Whether something refers to the offset, which lies in the image.
    bool referenced(std::int32_t off) const { return (flags_[static_cast<std::size_t>(off)] & kReferenced) != 0; }
    // Claims the offset, which lies in the image.
    void take(std::int32_t off) { flags_[static_cast<std::size_t>(off)] |= kTaken; }

private:
    static constexpr unsigned char kTaken = 1;       // code, in a range of the map, or an entry point
    static constexpr unsigned char kReferenced = 2;  // the target of a reference

    bool inside(std::int32_t off) const { return off >= 0 && static_cast<std::size_t>(off) < flags_.size(); }

    std::vector<unsigned char> flags_;
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
