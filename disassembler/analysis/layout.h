// The one walk over the window that every mapped output shares: map, trace and names turned
// into a sequence of items (a label, an instruction, a run of data), with the rules that cut
// the data runs applied here and nowhere else.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "decoder.h"
#include "instructions.h"
#include "map.h"
#include "symbols.h"
#include "tracer.h"

namespace koddar {

// How many bytes a data run may hold: a listing line shows at most as many as the longest
// instruction has, a source line more; a source text may end after its terminating 00.
struct RunLengths {
    int bytes;             // BYTE and WORD
    int text;              // TEXT
    bool text_ends_at_00;  // a TEXT run stops after a 00 byte
};
inline constexpr RunLengths kListingRuns{4, 4, false};

// What a note of the trace says at the end of its instruction's line, after kNoteLead; empty
// for none. The mapped listing shows every note, -a source the one of a routine found in a gap.
inline constexpr std::string_view kNoteLead = " ; ";
inline constexpr std::string_view kNoteTexts[] = {
    "",                                    // None
    " ; indirect, not followed",           // Indirect
    " ; indexed, not followed",            // Indexed
    " ; vector not loaded, not followed",  // NoVector
    " ; found, not reached",               // Found
};
static_assert(std::size(kNoteTexts) == static_cast<std::size_t>(Note::Found) + 1, "a text for every note");

inline std::string_view note_text(Note n)
{
    return kNoteTexts[static_cast<std::size_t>(n)];
}

struct Item {
    enum Kind : std::uint8_t { Label, Instruction, Data };
    Kind kind;
    DataKind data;               // Data: how its bytes are shown; Bytes for the rest of a cut instruction
    std::int32_t offset;         // image offset of the first byte
    std::int32_t size;           // bytes it covers; 0 for a label
    const std::string* name;     // Label: the name; nullptr otherwise
    const std::string* comment;  // the map's comment for the line, on the label's line where there is one
};

class Layout {
public:
    // The loaded image (buffer, reloc) as the trace found it, with the names of the map and the
    // trace as labels, its data runs as long as `runs` allows and none past offset `end`.
    Layout(const Map& map, const Trace& trace, const Symbols& names, RunLengths runs, std::int32_t end);
    // Without a map: every byte is code, decoded one instruction after the other, no labels.
    Layout() = default;

    // Passes the items from offset `from` up to the one that starts before `to` to `sink`, in
    // order: before an instruction or a data run, the label at its address.
    template <class Sink>
    void walk(std::int32_t from, std::int32_t to, Sink&& sink) const
    {
        // Read once, not on every line: the compiler cannot tell that the sink leaves them alone.
        const Symbols* const names = names_;
        const Use* const uses = trace_ != nullptr ? trace_->use.data() : nullptr;
        for (std::int32_t off = from; off < to;) {
            const Use use = uses != nullptr ? uses[off] : Use::Code;
            const std::string* comment = names != nullptr ? names->comment_at(off) : nullptr;
            if (use != Use::CodeMore)
                if (const std::string* label = names != nullptr ? names->at_offset(off) : nullptr) {
                    sink(Item{Item::Label, DataKind::Bytes, off, 0, label, comment});
                    comment = nullptr;  // shown on the label's line
                }
            Item item = use == Use::Code ? instruction(off) : data(off, to);
            item.comment = comment;
            sink(item);
            off += item.size;
        }
    }

    // The items of the window, for a renderer that reads them twice.
    std::vector<Item> items(std::int32_t from, std::int32_t to) const;

private:
    Use use(std::int32_t off) const
    {
        return trace_ != nullptr ? trace_->use[static_cast<std::size_t>(off)] : Use::Code;
    }
    Item instruction(std::int32_t off) const
    {
        return {Item::Instruction, DataKind::Bytes, off, instruction_length(static_cast<unsigned char>(Mgetc(off))),
                nullptr,           nullptr};
    }
    // The index of the map range that holds an offset, -1 outside every range.
    int range_at(std::int32_t off) const { return range_.empty() ? -1 : range_[static_cast<std::size_t>(off)]; }
    // A run of bytes of one kind as long as runs_ allows, cut at the window's end `to`, at end_,
    // at a label or a comment, at code, at the edge of a range or of a call's parameters, and
    // to an even length for words and addresses.
    Item data(std::int32_t off, std::int32_t to) const;
    bool cuts(std::int32_t off, std::int32_t at) const;

    const Map* map_ = nullptr;
    const Trace* trace_ = nullptr;
    const Symbols* names_ = nullptr;
    RunLengths runs_ = kListingRuns;
    std::int32_t end_ = 0;
    std::vector<int> range_;  // per offset: index of its map range, -1 outside ranges; empty without ranges
};

}  // namespace koddar
