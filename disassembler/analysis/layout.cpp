// The items of the window.
#include "layout.h"

#include "decoder.h"
#include "instructions.h"

namespace koddar {

Layout::Layout(const Map& map, const Trace& trace, const Symbols& names)
    : map_(&map), trace_(&trace), names_(&names), range_(range_index(map, reloc, loaded_length))
{
}

Item Layout::instruction(std::int32_t off) const
{
    return {Item::Instruction, DataKind::Bytes, off, instruction_length(static_cast<unsigned char>(Mgetc(off))),
            nullptr,           nullptr};
}

Item Layout::data(std::int32_t off, std::int32_t to) const
{
    const Use u = use(off);
    const int range = u == Use::Data ? range_[static_cast<std::size_t>(off)] : -1;
    const DataKind kind = range >= 0 ? map_->ranges[static_cast<std::size_t>(range)].kind : DataKind::Bytes;
    std::int32_t count = 1;
    for (; count < kDataLineBytes; ++count) {
        const std::int32_t at = off + count;
        if (at >= to || at >= loaded_length || use(at) != u ||
            (u == Use::Data && range_[static_cast<std::size_t>(at)] != range) ||
            trace_->params[static_cast<std::size_t>(at)] != trace_->params[static_cast<std::size_t>(off)] ||
            names_->at_offset(at) != nullptr || names_->comment_at(at) != nullptr)
            break;
    }
    if ((kind == DataKind::Words || kind == DataKind::Addrs) && count > 1)
        count &= ~1;
    return {Item::Data, kind, off, count, nullptr, nullptr};
}

std::vector<Item> Layout::items(std::int32_t from, std::int32_t to) const
{
    std::vector<Item> out;
    walk(from, to, [&out](const Item& item) { out.push_back(item); });
    return out;
}

}  // namespace koddar
