// koddar's run with a map: reads the map, traces the image, reports the paths that stopped,
// writes the inferred map when asked, and lists the window with labels and data lines.
#pragma once

#include <cstdint>

#include "map.h"
#include "tracer.h"

namespace koddar {

// Lists the window from offset `a` to the end offset nb (exclusive) of the loaded image with the
// map `map_path`; writes the inferred map to `write_path` unless it is nullptr. Returns the exit
// status: 1 after a bad map, an unwritable map or listing.
// Lists the offsets from `from` up to `to` of the loaded image (buffer, reloc) on the standard
// output as the trace found them, with the names of the map and the trace in the operands.
void list_mapped(const Map& map, const Trace& trace, std::int32_t from, std::int32_t to);

// On the standard error: the paths that stopped and the map's labels inside an instruction,
// before the listing; the summary line after it.
void report_trace(const Trace& trace);
void summary(const Trace& trace);

int dump_mapped(std::int32_t nb, const char* map_path, const char* write_path);

}  // namespace koddar
