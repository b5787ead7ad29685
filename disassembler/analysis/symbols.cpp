// Looking names up: by image offset through a table, outside the image by a binary search.
#include "symbols.h"

#include <algorithm>

#include "address.h"

namespace koddar {

Symbols::Symbols(const Map& map, const Trace& trace, std::int32_t reloc)
    : map_(map),
      trace_(trace),
      reloc_(reloc),
      wraps_(within_16_bits(reloc, static_cast<std::int32_t>(trace.use.size()))),
      by_offset_(trace.use.size(), -1)
{
    for (std::size_t i = 0; i < trace.labels.size(); ++i) {
        const std::int32_t off = sub32(trace.labels[i].address, reloc);
        if (off >= 0 && static_cast<std::size_t>(off) < by_offset_.size())
            by_offset_[static_cast<std::size_t>(off)] = static_cast<std::int32_t>(i);
    }
    // A comment inside an instruction goes to the instruction's line.
    std::vector<MapComment> sorted = map.comments;
    std::sort(sorted.begin(), sorted.end(),
              [](const MapComment& x, const MapComment& y) { return x.address < y.address; });
    for (const MapComment& c : sorted) {
        std::int32_t off = sub32(c.address, reloc);
        while (off > 0 && trace.use[static_cast<std::size_t>(off)] == Use::CodeMore)
            --off;
        if (!comments_.empty() && comments_.back().offset == off)
            comments_.back().text += " ; " + c.text;
        else
            comments_.push_back({off, c.text});
    }
}

const std::string* Symbols::comment_search(std::int32_t offset) const
{
    const auto it = std::lower_bound(comments_.begin(), comments_.end(), offset,
                                     [](const Comment& c, std::int32_t x) { return c.offset < x; });
    return it != comments_.end() && it->offset == offset ? &it->text : nullptr;
}

const std::string* Symbols::address(std::int32_t at) const
{
    at = program_address(at, wraps_);  // a branch past FFFF lands at the bottom
    const std::int32_t off = sub32(at, reloc_);
    if (off >= 0 && static_cast<std::size_t>(off) < by_offset_.size())
        return at_offset(off);
    const auto& labels = trace_.labels;
    const auto it = std::lower_bound(labels.begin(), labels.end(), at,
                                     [](const MapName& n, std::int32_t x) { return n.address < x; });
    return it != labels.end() && it->address == at ? &it->name : nullptr;
}

}  // namespace koddar
