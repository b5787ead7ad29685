// The inferred map, one directive a line in address order.
#include "map_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "address.h"
#include "analysis.h"
#include "output_file.h"
#include "text.h"

namespace koddar {

namespace {

const char* const kKindWord[] = {"bytes", "words", "addrs", "text"};

// The comment of a directive that koddar found rather than read in the map: keep it or delete it.
std::string found_comment(int line)
{
    switch (line) {
    case kFoundLine: return " ; found, not reached";
    case kTableLine: return " ; found from a jump table";
    case kLogLine: return " ; from the execution log";
    default: return "";
    }
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
    // An entry point whose path stopped at once is written as the user gave it, marked: it
    // reads back to the same listing.
    for (const MapEntry& e : map.entries)
        out.push_back(
            {e.address, 0,
             "code " + hex_address(e.address) + name_at(e.address) +
                 (trace.use[static_cast<std::size_t>(sub32(e.address, reloc))] == Use::Data ? " ; not code" : "") +
                 found_comment(e.line)});
    const std::vector<int> range = range_index(map, reloc, length);
    for (const MapRange& r : map.ranges) {
        if (r.line == map.vectors_line)
            out.push_back({r.start, 1, "vectors"});
        else
            out.push_back({r.start, 1,
                           std::string(kKindWord[static_cast<int>(r.kind)]) + " " + hex_address(r.start) + " " +
                               hex_address(r.end) + name_at(r.start) + found_comment(r.line)});
    }
    // Runs of code, of the parameters after calls and of unreached bytes outside the ranges, as
    // comments: what the trace inferred, which an added entry point may change. Uncommented, an
    // unreached run is a bytes range.
    enum Run { kCode, kRange, kParams, kUnreached };
    auto run_at = [&](std::int32_t off) {
        const auto i = static_cast<std::size_t>(off);
        return trace.use[i] != Use::Data ? kCode : range[i] >= 0 ? kRange : trace.params[i] ? kParams : kUnreached;
    };
    for (std::int32_t off = 0; off < length;) {
        const Run run = run_at(off);
        std::int32_t end = off + 1;
        while (end < length && run_at(end) == run)
            ++end;
        const std::string span = hex_address(add32(reloc, off)) + " " + hex_address(add32(reloc, end - 1));
        if (run == kCode)
            out.push_back({add32(reloc, off), 2, "# code " + span});
        else if (run == kParams)
            out.push_back({add32(reloc, off), 2, "# bytes " + span + " ; parameters of a call"});
        else if (run == kUnreached)
            out.push_back({add32(reloc, off), 2, "# bytes " + span + " ; not reached"});
        off = end;
    }
    for (const MapRoutine& r : map.routines) {
        if (r.params != 0)
            out.push_back({r.address, 4, "params " + hex_address(r.address) + " " + std::to_string(r.params)});
        if (r.noreturn)
            out.push_back({r.address, 4, "noreturn " + hex_address(r.address)});
    }
    for (const MapComment& c : map.comments)
        out.push_back({c.address, 5, "comment " + hex_address(c.address) + " " + c.text});
    for (std::size_t i = 0; i < trace.labels.size(); ++i)
        if (!used_name[i])
            out.push_back({trace.labels[i].address, 3,
                           "label " + hex_address(trace.labels[i].address) + " " + trace.labels[i].name});
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
    const std::pair<const char*, int> finds[] = {
        {"gaps", map.find.gaps}, {"tables", map.find.tables}, {"text", map.find.text}};
    for (const auto& [what, setting] : finds)
        if (setting >= 0)
            text += std::string("find ") + what + " " +
                    (setting == 0   ? "off"
                     : setting == 1 ? "on"
                                    : std::to_string(setting)) +
                    "\n";
    return text;
}

int write_whole_file(const char* path, const std::string& text)
{
    OutputFile out;
    if (out.open(path) == OutputFile::kOk && out.write(text.data(), text.size()) == OutputFile::kOk &&
        out.commit() == OutputFile::kOk)
        return 0;
    return out.error() != 0 ? out.error() : EIO;
}

bool write_map_file(const char* path, const std::string& text)
{
    if (const int err = write_whole_file(path, text)) {
        std::fprintf(stderr, "Cannot write map file %s: %s.\n", path, std::strerror(err));
        return false;
    }
    std::fprintf(stderr, "%s file written.\n", path);
    return true;
}

}  // namespace koddar
