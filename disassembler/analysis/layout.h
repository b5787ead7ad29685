// The one walk over the window that every mapped output shares: map, trace and names turned
// into a sequence of items (a label, an instruction, a run of data), with the rules that cut
// the data runs applied here and nowhere else.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "map.h"
#include "symbols.h"
#include "tracer.h"

namespace koddar {

// At most as many bytes on a data line as the longest instruction has.
constexpr int kDataLineBytes = 4;

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
    // The loaded image (buffer, loaded_length, reloc) as the trace found it, with the names of
    // the map and the trace as labels.
    Layout(const Map& map, const Trace& trace, const Symbols& names);
    // Without a map: every byte is code, decoded one instruction after the other, no labels.
    Layout() = default;

    // Passes the items from offset `from` up to the one that starts before `to` to `sink`, in
    // order: before each item that starts an instruction or a data run, the label there.
    template <class Sink>
    void walk(std::int32_t from, std::int32_t to, Sink&& sink) const
    {
        for (std::int32_t off = from; off < to;) {
            const std::string* comment = names_ != nullptr ? names_->comment_at(off) : nullptr;
            if (use(off) != Use::CodeMore)
                if (const std::string* label = names_ != nullptr ? names_->at_offset(off) : nullptr) {
                    sink(Item{Item::Label, DataKind::Bytes, off, 0, label, comment});
                    comment = nullptr;
                }
            Item item = use(off) == Use::Code ? instruction(off) : data(off, to);
            item.comment = comment;
            sink(item);
            off += item.size;
        }
    }

    // The items of the window, for whoever reads them more than once.
    std::vector<Item> items(std::int32_t from, std::int32_t to) const;

private:
    Use use(std::int32_t off) const
    {
        return trace_ != nullptr ? trace_->use[static_cast<std::size_t>(off)] : Use::Code;
    }
    Item instruction(std::int32_t off) const;
    // A run of up to kDataLineBytes bytes of one kind, cut at the window's end `to`, at the end
    // of the loaded data, at a label or a comment, at code, at the edge of a range and at the
    // edge of a call's parameters; a run of words or addresses is cut to an even length.
    Item data(std::int32_t off, std::int32_t to) const;

    const Map* map_ = nullptr;
    const Trace* trace_ = nullptr;
    const Symbols* names_ = nullptr;
    std::vector<int> range_;  // per offset: index of its map range, -1 outside ranges
};

}  // namespace koddar
