// koddar -a: the window written as source text that kodasm assembles back to the same bytes.
#pragma once

#include <cstdint>
#include <cstdio>

#include "dump.h"
#include "map.h"
#include "mapped_run.h"

namespace koddar {

// Writes an ORG line and one line per instruction from offset `a` up to the one that starts
// before offset nb, in the listing's syntax; bytes no instruction expresses become BYTE lines.
// Returns 0, 1 after a message when the window does not lie within 0000 to FFFF, or
// kListingUnwritten when the text could not be written.
int write_source(std::FILE* out, std::int32_t nb);

// The same with the map `options.map_file`: its trace says what is code, data comes out as BYTE,
// WORD and TEXT lines, and the names of the map and the trace as labels, EQUs and operands.
// Writes the inferred map to `options.map_out` unless it is nullptr. Also 1 after a bad or
// unwritable map.
int write_mapped_source(std::FILE* out, std::int32_t nb, const MapOptions& options);

// The same with a map already read (options.map_file is not read).
int write_mapped_source(std::FILE* out, std::int32_t nb, const Map& map, const MapOptions& options);

}  // namespace koddar
