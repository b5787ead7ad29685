// Looking names up: by image offset through a table, outside the image by a binary search.
#include "symbols.h"

#include <algorithm>

#include "address.h"

namespace koddar {

Symbols::Symbols(const Map& map, const Trace& trace, std::int32_t reloc)
    : map_(map), trace_(trace), reloc_(reloc), by_offset_(trace.use.size(), -1)
{
    for (std::size_t i = 0; i < trace.labels.size(); ++i) {
        const std::int32_t off = sub32(trace.labels[i].address, reloc);
        if (off >= 0 && static_cast<std::size_t>(off) < by_offset_.size())
            by_offset_[static_cast<std::size_t>(off)] = static_cast<std::int32_t>(i);
    }
}

const std::string* Symbols::at_offset(std::int32_t offset) const
{
    if (offset < 0 || static_cast<std::size_t>(offset) >= by_offset_.size())
        return nullptr;
    const std::int32_t i = by_offset_[static_cast<std::size_t>(offset)];
    return i < 0 ? nullptr : &trace_.labels[static_cast<std::size_t>(i)].name;
}

const std::string* Symbols::address(std::int32_t at) const
{
    const std::int32_t off = sub32(at, reloc_);
    if (off >= 0 && static_cast<std::size_t>(off) < by_offset_.size())
        return at_offset(off);
    const auto& labels = trace_.labels;
    const auto it = std::lower_bound(labels.begin(), labels.end(), at,
                                     [](const MapName& n, std::int32_t x) { return n.address < x; });
    return it != labels.end() && it->address == at ? &it->name : nullptr;
}

}  // namespace koddar
