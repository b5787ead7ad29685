// The one step every run with a map takes before it writes anything: read the map, trace the
// loaded image, report the paths that stopped, write the inferred map back when asked.
#pragma once

#include <cstdint>

#include "map.h"
#include "tracer.h"

namespace koddar {

struct Analysis {
    Map map;
    Trace trace;
};

// Reads the map `map_path` for the loaded image (buffer, loaded_length, reloc), traces it,
// reports what report_trace reports and writes the inferred map to `write_path` unless it is
// nullptr. False after a message.
bool analyse(const char* map_path, const char* write_path, Analysis& out);

// The same with a map already read; sets `trace`.
bool analyse(const Map& map, const char* write_path, Trace& trace);

// On the standard error: the paths that stopped and the map's labels inside an instruction,
// before the listing; the summary line after it.
void report_trace(const Trace& trace);
void summary(const Trace& trace);

}  // namespace koddar
