// The one step every run with a map takes before it writes anything: read the map, trace the
// loaded image (with what the analysis finds), report the paths that stopped, write the
// inferred map back when asked.
#pragma once

#include <cstdint>

#include "analysis.h"
#include "map.h"
#include "tracer.h"

namespace koddar {

// What a run with a map is asked for.
struct MapOptions {
    const char* map_file = nullptr;  // -m: the map, nullptr for a run without one
    const char* map_out = nullptr;   // -w: where to write the inferred map, nullptr when not asked
    Analysis analysis;               // -f, -t: what to look for after the trace
};

// A map and the trace made with it.
struct MappedRun {
    Map map;  // with what the analysis found
    Trace trace;
    Findings found;
};

// Reads the map `options.map_file` for the loaded image (buffer, loaded_length, reloc), traces
// it with the analysis asked for, reports what report_trace reports and writes the inferred map
// to `options.map_out` unless it is nullptr. False after a message.
bool trace_with_map(const MapOptions& options, MappedRun& out);

// The same with a map already read (options.map_file is not read), to which the analysis adds
// what it finds.
bool trace_with_map(Map& map, const MapOptions& options, Trace& trace, Findings& found);

// On the standard error: the paths that stopped and the map's labels inside an instruction,
// before the listing; the summary line after it.
void report_trace(const Trace& trace);
void summary(const Trace& trace);

}  // namespace koddar
