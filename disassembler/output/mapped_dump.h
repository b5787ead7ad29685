// koddar's listing with a map: the analysis (map, trace, report, map written back), then the
// window listed with labels, data lines and the names of the map and the trace.
#pragma once

#include <cstdint>

#include "mapped_run.h"
#include "dump.h"
#include "map.h"
#include "tracer.h"

namespace koddar {

// Lists the offsets from `from` up to `to` of the loaded image (buffer, reloc) on the standard
// output as the trace found them, with the names of the map and the trace in the operands.
void list_mapped(const Map& map, const Trace& trace, std::int32_t from, std::int32_t to);

// Lists the window from offset `a` to the end offset nb (exclusive) of the loaded image with the
// map `options.map_file`, after the analysis (which writes the inferred map to `options.map_out`
// unless it is nullptr), then the summary. Returns 0, 1 after a bad or unwritable map, or
// kListingUnwritten.
int dump_mapped(std::int32_t nb, const MapOptions& options);

}  // namespace koddar
