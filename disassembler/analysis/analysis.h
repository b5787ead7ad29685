// What koddar finds after the trace, each by its own rules over the trace: entry points from an
// emulator's execution log, jump tables, text, and code in the gaps that no path reached.
// Each finding goes into the trace (as code) or into the map (as a range marked found), so the
// mapped listing, -a and -w show it as they show what the map says.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "map.h"
#include "tracer.h"

namespace koddar {

// Map lines of what was found: ranges and entries with these line numbers came from koddar.
constexpr int kFoundLine = -1;  // a routine in a gap, or a text run
constexpr int kTableLine = -2;  // a jump table's targets, or a table of addresses it reads
constexpr int kLogLine = -3;    // an address of the execution log

// What the analysis is asked to do with a map. Code in the gaps and jump tables are on unless
// the map's `find` lines turn them off. Text runs wait for -f or `find text`: on by default
// they would take tables of printable bytes for text. -f asks for all three rules.
struct Analysis {
    bool gaps = true;           // code in the gaps
    bool tables = true;         // jump tables
    int text = 0;               // text runs of at least this many printable characters; 0: none
    const char* log = nullptr;  // -t: the execution log
    bool asked = false;         // an option or a directive asked for any of it
};

constexpr int kTextLength = 6;  // the least text run that -f and `find text on` look for

// Counts for the summary line.
struct Findings {
    std::int32_t traced = 0;       // code bytes of the first trace
    std::int32_t from_log = 0;     // more code from the log's addresses
    std::int32_t from_tables = 0;  // from jump tables
    std::int32_t in_gaps = 0;      // found in gaps
    std::int32_t text_runs = 0;
    std::int32_t tables = 0;  // address tables found
    bool asked = false;       // an option or the map asked for the analysis
    bool any() const { return from_log + from_tables + in_gaps + text_runs + tables != 0; }
};

// Reads the execution log `path` (with a bound) and adds its addresses inside the image to
// `entries`; an address in a data range of the map is reported as a conflict and left out.
// False after a message when the file cannot be read.
bool read_exec_log(const char* path, const Map& map, std::int32_t reloc, std::int32_t length,
                   std::vector<std::int32_t>& entries);

// The same for log text in memory; messages name `path`.
void parse_exec_log(const char* text, std::size_t size, const char* path, const Map& map, std::int32_t reloc,
                    std::int32_t length, std::vector<std::int32_t>& entries);

// The rules, each over the trace made so far. The jump tables' code entries are returned; the
// addresses in the tables of addresses that it adds to the map's ranges go into `words`.
std::vector<std::int32_t> jump_table_entries(Map& map, const Trace& trace, const unsigned char* image,
                                             std::int32_t length, std::int32_t reloc, std::vector<std::int32_t>& words,
                                             std::int32_t& tables);
int find_text_runs(Map& map, const Trace& trace, const unsigned char* image, std::int32_t length, std::int32_t reloc,
                   int min_length);
std::vector<std::int32_t> gap_routines(const Map& map, const Trace& trace, const unsigned char* image,
                                       std::int32_t length, std::int32_t reloc);

// The trace with everything that `analysis` (the command line's, -f and -t) asks for, with the
// map's `find` lines over it; `map` gets the found ranges and entries. False after a message (a
// log that cannot be read).
bool analysed_trace(Map& map, const unsigned char* image, std::int32_t length, std::int32_t reloc,
                    const Analysis& analysis, Trace& trace, Findings& found);

// The summary of what was found, on standard error, when anything was or it was asked for.
void report_findings(const Trace& trace, const Findings& found);

}  // namespace koddar
