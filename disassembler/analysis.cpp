// The analysis after the trace, in order: the log's addresses, jump tables (again while they
// bring more code), text, then code in the gaps; each step traces on from what it found.
#include "analysis.h"

#include <algorithm>
#include <cstdio>

#include "address.h"

namespace koddar {

Analysis analysis;

namespace {

constexpr int kTableRounds = 4;  // tables found in code that tables brought

// The log's addresses that nothing else leads to: not the target of a reference and not
// where the instruction before goes on. The others the trace finds again from these, so a
// map written back with -w keeps only these.
std::vector<std::int32_t> log_heads(const Trace& trace, const std::vector<std::int32_t>& log, std::int32_t reloc,
                                    const unsigned char* image)
{
    std::vector<bool> follows(trace.use.size(), false);
    for (std::size_t off = 0; off < trace.use.size(); ++off) {
        if (trace.use[off] != Use::Code)
            continue;
        const auto here = static_cast<std::int32_t>(off);
        const std::size_t next = off + static_cast<std::size_t>(instruction_length(image[off]));
        if (next < follows.size() && !flow_at(image, static_cast<std::int32_t>(trace.use.size()), reloc, here).ends)
            follows[next] = true;
    }
    for (const Ref& r : trace.refs) {
        const std::int32_t off = sub32(r.target, reloc);
        if (off >= 0 && static_cast<std::size_t>(off) < follows.size())
            follows[static_cast<std::size_t>(off)] = true;
    }
    std::vector<std::int32_t> heads;
    for (const std::int32_t at : log)
        if (!follows[static_cast<std::size_t>(sub32(at, reloc))])
            heads.push_back(at);
    return heads;
}

// The command line's analysis with the map's `find` lines over it.
Analysis asked_of(const Map& map)
{
    Analysis a = analysis;
    const Map::Find& f = map.find;
    if (f.gaps >= 0)
        a.gaps = f.gaps != 0;
    if (f.tables >= 0)
        a.tables = f.tables != 0;
    if (f.text >= 0)
        a.text = f.text == 1 ? kTextLength : f.text;
    a.asked = a.asked || f.gaps >= 0 || f.tables >= 0 || f.text >= 0;
    return a;
}

void add_entries(Map& map, const std::vector<std::int32_t>& entries, int line)
{
    for (const std::int32_t at : entries)
        map.entries.push_back({at, line});
}

}  // namespace

bool analysed_trace(Map& map, const unsigned char* image, std::int32_t length, std::int32_t reloc, Trace& trace,
                    Findings& found)
{
    const Analysis asked = asked_of(map);
    found.asked = asked.asked;
    std::vector<std::int32_t> log;
    if (asked.log != nullptr && !read_exec_log(asked.log, map, reloc, length, log))
        return false;
    trace = trace_image(map, image, length, reloc);
    if (!trace.traced && log.empty())
        return true;  // every byte outside the ranges is code already
    found.traced = trace.code_bytes;
    if (!log.empty()) {
        trace_more(map, trace, image, length, reloc, log);
        found.from_log = trace.code_bytes - found.traced;
        add_entries(map, log_heads(trace, log, reloc, image), kLogLine);
    }
    for (int round = 0; asked.tables && round < kTableRounds; ++round) {
        std::int32_t tables = 0;
        const std::vector<std::int32_t> more = jump_table_entries(map, trace, image, length, reloc, tables);
        if (more.empty() && tables == 0)
            break;
        const std::int32_t before = trace.code_bytes;
        trace_more(map, trace, image, length, reloc, more);
        found.from_tables += trace.code_bytes - before;
        found.tables += tables;
        // The words of a table are entry points of their own range; the rest go in as code lines.
        std::vector<std::int32_t> code;
        for (const std::int32_t at : more)
            if (std::none_of(map.ranges.begin(), map.ranges.end(), [&](const MapRange& r) {
                    return r.line == kTableLine && r.kind == DataKind::Addrs && at >= r.start && at <= r.end;
                }))
                code.push_back(at);
        add_entries(map, code, kTableLine);
    }
    if (asked.text > 0)
        found.text_runs = find_text_runs(map, trace, image, length, reloc, asked.text);
    if (asked.gaps) {
        const std::vector<std::int32_t> routines = gap_routines(map, trace, image, length, reloc);
        if (!routines.empty()) {
            const std::int32_t before = trace.code_bytes;
            trace_more(map, trace, image, length, reloc, routines);
            found.in_gaps = trace.code_bytes - before;
            for (const std::int32_t at : routines) {
                Note& note = trace.note[static_cast<std::size_t>(sub32(at, reloc))];
                if (note == Note::None)  // a note of a flow not followed says more
                    note = Note::Found;
            }
            add_entries(map, routines, kFoundLine);
        }
    }
    return true;
}

void report_findings(const Trace& trace, const Findings& found)
{
    if (!found.any() && !found.asked)
        return;
    std::fprintf(stderr,
                 "Found: %d bytes of code traced, %d from the log, %d from jump tables, %d in gaps; %d bytes of data, "
                 "%d text %s, %d address %s.\n",
                 found.traced, found.from_log, found.from_tables, found.in_gaps, trace.data_bytes, found.text_runs,
                 found.text_runs == 1 ? "run" : "runs", found.tables, found.tables == 1 ? "table" : "tables");
}

}  // namespace koddar
