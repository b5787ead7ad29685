// The analysis after the trace, in order: the log's addresses, jump tables (again while they
// bring more code), text, then code in the gaps; each step traces on from what it found.
#include "analysis.h"

#include <algorithm>
#include <cstdio>

#include "address.h"

namespace koddar {

namespace {

constexpr int kTableRounds = 4;  // tables found in code that tables brought

// The log's addresses that the first trace did not reach and that no instruction before them
// goes on to: from these the trace finds the others again, so a map written back with -w
// keeps only these.
std::vector<std::int32_t> log_heads(const Trace& trace, const std::vector<Use>& before,
                                    const std::vector<std::int32_t>& log, std::int32_t reloc,
                                    const unsigned char* image)
{
    const auto length = static_cast<std::int32_t>(trace.use.size());
    std::vector<bool> follows(trace.use.size(), false);
    for (std::int32_t off = 0; off < length; ++off) {
        if (trace.use[static_cast<std::size_t>(off)] != Use::Code)
            continue;
        const std::int32_t next = off + instruction_length(image[off]);
        if (next < length && !flow_at(image, length, reloc, off).ends)
            follows[static_cast<std::size_t>(next)] = true;
    }
    std::vector<std::int32_t> heads;
    for (const std::int32_t at : log) {
        const auto off = static_cast<std::size_t>(sub32(at, reloc));
        if (before[off] == Use::Data && trace.use[off] == Use::Code && !follows[off])
            heads.push_back(at);
    }
    return heads;
}

// The command line's analysis with the map's `find` lines over it.
Analysis asked_of(const Analysis& analysis, const Map& map)
{
    Analysis a = analysis;
    const Map::Find& f = map.find;
    if (f.gaps >= 0)
        a.gaps = f.gaps != 0;
    if (f.tables >= 0)
        a.tables = f.tables != 0;
    if (f.text >= 0)
        a.text = f.text == 1 ? kTextLength : f.text;
    // A line that turns a rule off asks for no summary: it keeps the listing as it was.
    a.asked = a.asked || f.gaps > 0 || f.tables > 0 || f.text > 0;
    return a;
}

// The second LDA of a pair reads a found table at T+1: that is inside the table, not a label
// of its own, which would cut its words in two.
void unlabel_second_bytes(const Map& map, Trace& trace, std::int32_t reloc)
{
    auto second_byte = [&](const Ref& r) {
        return std::any_of(map.ranges.begin(), map.ranges.end(), [&](const MapRange& t) {
            return t.line == kTableLine && r.target == add32(t.start, 1) &&
                   trace.use[static_cast<std::size_t>(sub32(r.from, reloc))] == Use::Code;
        });
    };
    trace.refs.erase(std::remove_if(trace.refs.begin(), trace.refs.end(), second_byte), trace.refs.end());
}

void add_entries(Map& map, const std::vector<std::int32_t>& entries, int line)
{
    for (const std::int32_t at : entries)
        map.entries.push_back({at, line});
}

}  // namespace

bool analysed_trace(Map& map, const unsigned char* image, std::int32_t length, std::int32_t reloc,
                    const Analysis& analysis, Trace& trace, Findings& found)
{
    const Analysis asked = asked_of(analysis, map);
    found.asked = asked.asked;
    std::vector<std::int32_t> log;
    if (asked.log != nullptr && !read_exec_log(asked.log, map, reloc, length, log))
        return false;
    trace = trace_image(map, image, length, reloc);
    if (!trace.traced) {
        if (log.empty())
            return true;  // every byte outside the ranges is code already
        // A map without entry points lists every byte as code; the log's addresses are its
        // entry points instead.
        Map with_log = map;
        add_entries(with_log, log, kLogLine);
        trace = trace_image(with_log, image, length, reloc);
        found.from_log = trace.code_bytes;
        add_entries(map, log_heads(trace, std::vector<Use>(trace.use.size(), Use::Data), log, reloc, image), kLogLine);
    } else if (!log.empty()) {
        found.traced = trace.code_bytes;
        const std::vector<Use> before = trace.use;
        trace_more(map, trace, image, length, reloc, log);
        found.from_log = trace.code_bytes - found.traced;
        add_entries(map, log_heads(trace, before, log, reloc, image), kLogLine);
    } else {
        found.traced = trace.code_bytes;
    }
    for (int round = 0; asked.tables && round < kTableRounds; ++round) {
        std::int32_t tables = 0;
        std::vector<std::int32_t> words;
        const std::size_t known = map.ranges.size();
        const std::vector<std::int32_t> code = jump_table_entries(map, trace, image, length, reloc, words, tables);
        for (std::size_t i = known; i < map.ranges.size(); ++i)  // each word refers to its target
            for (std::int32_t off = sub32(map.ranges[i].start, reloc); off < sub32(map.ranges[i].end, reloc); off += 2)
                trace.refs.push_back({static_cast<std::int32_t>(image[off] << 8 | image[off + 1]), add32(reloc, off)});
        if (code.empty() && words.empty())
            break;
        std::vector<std::int32_t> more = code;
        more.insert(more.end(), words.begin(), words.end());
        if (tables != 0)
            unlabel_second_bytes(map, trace, reloc);
        const std::int32_t before = trace.code_bytes;
        trace_more(map, trace, image, length, reloc, more);
        found.from_tables += trace.code_bytes - before;
        found.tables += tables;
        add_entries(map, code, kTableLine);  // the words are entry points of their range
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
                 "Found: %d %s of code traced, %d from the log, %d from jump tables, %d in gaps; %d %s of data, "
                 "%d text %s, %d address %s.\n",
                 found.traced, found.traced == 1 ? "byte" : "bytes", found.from_log, found.from_tables, found.in_gaps,
                 trace.data_bytes, trace.data_bytes == 1 ? "byte" : "bytes", found.text_runs,
                 found.text_runs == 1 ? "run" : "runs", found.tables, found.tables == 1 ? "table" : "tables");
}

}  // namespace koddar
