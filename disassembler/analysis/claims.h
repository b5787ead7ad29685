// What the analysis rules share: which bytes of the image are spoken for, by the trace, a range
// of the map or an entry point of it (one whose path stopped at once is the user's word still),
// and which addresses something refers to.
#pragma once

#include <cstdint>
#include <cstring>
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
        // over the whole image, several times a run. The trace's bytes go eight at a time.
        const std::size_t size = flags_.size();
        std::size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            std::uint64_t w = 0;
            std::memcpy(&w, &trace.use[i], 8);
            w = (w | w >> 1) & kEveryByte;  // Code (1) or CodeMore (2): bit 0 or bit 1 set
            std::memcpy(&flags_[i], &w, 8);
        }
        for (; i < size; ++i)
            flags_[i] = trace.use[i] != Use::Data ? kTaken : 0;
        for (const MapRange& r : map.ranges)
            for (std::int32_t off = sub32(r.start, reloc); off <= sub32(r.end, reloc); ++off)  // not by address:
                take(off);  // it would overflow past 7FFFFFFF
        for (const MapEntry& e : map.entries)
            take(sub32(e.address, reloc));
        for (const Ref& r : trace.refs) {
            const std::int32_t off = sub32(r.target, reloc);
            if (inside(off))
                flags_[static_cast<std::size_t>(off)] |= kReferenced;
        }
    }

    // The first offset from `off` (in the image) on that nothing claims, or the image's length:
    // the rules look for the few bytes left over, eight at a time.
    std::int32_t next_free(std::int32_t off) const
    {
        auto i = static_cast<std::size_t>(off);
        for (std::uint64_t w = 0; i + 8 <= flags_.size(); i += 8) {
            std::memcpy(&w, &flags_[i], 8);
            if ((w & kEveryByte) != kEveryByte)
                break;
        }
        while (i < flags_.size() && (flags_[i] & kTaken) != 0)
            ++i;
        return static_cast<std::int32_t>(i);
    }

    // Whether the offset lies in the image and nothing claims it.
    bool free(std::int32_t off) const { return inside(off) && (flags_[static_cast<std::size_t>(off)] & kTaken) == 0; }
    // Whether something refers to the offset, which lies in the image.
    bool referenced(std::int32_t off) const { return (flags_[static_cast<std::size_t>(off)] & kReferenced) != 0; }
    // Claims the offset, which lies in the image.
    void take(std::int32_t off) { flags_[static_cast<std::size_t>(off)] |= kTaken; }

private:
    static constexpr unsigned char kTaken = 1;                       // code, in a range of the map, or an entry point
    static constexpr unsigned char kReferenced = 2;                  // the target of a reference
    static constexpr std::uint64_t kEveryByte = 0x0101010101010101;  // kTaken in each of eight bytes
    static_assert(static_cast<int>(Use::Data) == 0 && static_cast<int>(Use::Code) == 1 &&
                      static_cast<int>(Use::CodeMore) == 2 && kTaken == 1,
                  "a trace byte other than Data has bit 0 or bit 1 set, and kTaken is bit 0");

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
