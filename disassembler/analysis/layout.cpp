// The items of the window.
#include "layout.h"

namespace koddar {

Layout::Layout(const Map& map, const Trace& trace, const Symbols& names, RunLengths runs, std::int32_t end)
    : map_(&map),
      trace_(&trace),
      names_(&names),
      runs_(runs),
      end_(end),
      range_(map.ranges.empty() ? std::vector<int>()
                                : range_index(map, reloc, static_cast<std::int32_t>(trace.use.size())))
{
}

// Whether a run that starts at `off` ends before `at`, whatever its length.
bool Layout::cuts(std::int32_t off, std::int32_t at) const
{
    const auto i = static_cast<std::size_t>(off);
    const auto k = static_cast<std::size_t>(at);
    const Use u = trace_->use[i];
    const bool named = names_ != nullptr && (names_->at_offset(at) != nullptr || names_->comment_at(at) != nullptr);
    return trace_->use[k] != u || named ||
           (u == Use::Data && (range_at(off) != range_at(at) || trace_->params[i] != trace_->params[k]));
}

Item Layout::data(std::int32_t off, std::int32_t to) const
{
    const int range = use(off) == Use::Data ? range_at(off) : -1;
    const DataKind kind = range >= 0 ? map_->ranges[static_cast<std::size_t>(range)].kind : DataKind::Bytes;
    const bool text = kind == DataKind::Text;
    const int most = text ? runs_.text : runs_.bytes;
    std::int32_t count = 1;
    while (count < most && off + count < to && off + count < end_ && !cuts(off, off + count) &&
           !(text && runs_.text_ends_at_00 && Mgetc(off + count - 1) == 0))
        ++count;
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
