// The inferred map, one directive a line in address order.
#include "map_writer.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "address.h"
#include "output_file.h"

namespace koddar {

namespace {

const char* const kKindWord[] = {"bytes", "words", "addrs", "text"};

// An address as the map reader reads it back: a negative one with its sign, since the reader
// saturates what lies beyond 7FFFFFFF.
std::string hex4(std::int32_t v)
{
    char text[16];
    const long long x = v;
    std::snprintf(text, sizeof text, x < 0 ? "-%04llX" : "%04llX", x < 0 ? -x : x);
    return text;
}

// One directive and the address it sorts by.
struct Directive {
    std::int32_t at;
    int order;  // at the same address: entries and ranges before their names
    std::string text;
};

}  // namespace

std::string inferred_map(const Map& map, const Trace& trace, std::int32_t reloc)
{
    std::vector<Directive> out;
    const auto length = static_cast<std::int32_t>(trace.use.size());
    std::vector<bool> used_name(trace.labels.size(), false);
    // The name at an address, once: the first directive there carries it.
    // The labels are sorted by address, one to an address.
    auto name_at = [&](std::int32_t at) -> std::string {
        const auto it = std::lower_bound(trace.labels.begin(), trace.labels.end(), at,
                                         [](const MapName& n, std::int32_t x) { return n.address < x; });
        const auto i = static_cast<std::size_t>(it - trace.labels.begin());
        if (it == trace.labels.end() || it->address != at || used_name[i])
            return "";
        used_name[i] = true;
        return " " + it->name;
    };
    for (const MapEntry& e : map.entries)
        out.push_back({e.address, 0, "code " + hex4(e.address) + name_at(e.address)});
    std::vector<bool> in_range(static_cast<std::size_t>(length), false);  // or an entry point
    for (const MapRange& r : map.ranges) {
        for (std::int32_t at = r.start; at <= r.end; ++at)
            in_range[static_cast<std::size_t>(sub32(at, reloc))] = true;
        if (r.line == map.vectors_line)
            out.push_back({r.start, 1, "vectors"});
        else
            out.push_back({r.start, 1,
                           std::string(kKindWord[static_cast<int>(r.kind)]) + " " + hex4(r.start) + " " + hex4(r.end) +
                               name_at(r.start)});
    }
    // An entry point whose path stopped at once stays out of the ranges: the map refuses an
    // entry inside one.
    for (const MapEntry& e : map.entries)
        in_range[static_cast<std::size_t>(sub32(e.address, reloc))] = true;
    // Runs of code (as comments) and of unreached bytes outside the ranges (as bytes ranges).
    for (std::int32_t off = 0; off < length;) {
        const bool code = trace.use[static_cast<std::size_t>(off)] != Use::Data;
        const bool free_data = !code && !in_range[static_cast<std::size_t>(off)];
        std::int32_t end = off + 1;
        while (end < length && (trace.use[static_cast<std::size_t>(end)] != Use::Data) == code &&
               (code || in_range[static_cast<std::size_t>(end)] != free_data))
            ++end;
        const std::int32_t first = add32(reloc, off);
        const std::int32_t last = add32(reloc, end - 1);
        if (code)
            out.push_back({first, 2, "# code " + hex4(first) + " " + hex4(last)});
        else if (free_data)
            out.push_back({first, 1, "bytes " + hex4(first) + " " + hex4(last) + name_at(first)});
        off = end;
    }
    for (std::size_t i = 0; i < trace.labels.size(); ++i)
        if (!used_name[i])
            out.push_back(
                {trace.labels[i].address, 3, "label " + hex4(trace.labels[i].address) + " " + trace.labels[i].name});
    std::stable_sort(out.begin(), out.end(), [](const Directive& x, const Directive& y) {
        return x.at != y.at ? x.at < y.at : x.order < y.order;
    });

    std::string text = "# Map inferred by koddar: entry points, data ranges, names; code ranges as comments.\n";
    for (const Directive& d : out)
        text += d.text + "\n";
    for (unsigned n = 0; n < 256; ++n)
        if (!map.reg[n].empty())
            text += "reg " + std::to_string(n) + " " + map.reg[n] + "\n";
    for (unsigned n = 0; n < 256; ++n)
        if (!map.port[n].empty())
            text += "port " + std::to_string(n) + " " + map.port[n] + "\n";
    return text;
}

bool write_whole_file(const char* path, const std::string& text)
{
    OutputFile out;
    return out.open(path) == OutputFile::kOk && out.write(text.data(), text.size()) == OutputFile::kOk &&
           out.commit() == OutputFile::kOk;
}

}  // namespace koddar
