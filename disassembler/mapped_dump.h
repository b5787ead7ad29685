// koddar's run with a map: reads the map, traces the image, reports the paths that stopped,
// writes the inferred map when asked, and lists the window with labels and data lines.
#pragma once

#include <cstdint>

namespace koddar {

// Lists the window from offset `a` to the end offset nb (exclusive) of the loaded image with the
// map `map_path`; writes the inferred map to `write_path` unless it is nullptr. Returns the exit
// status: 1 after a bad map, an unwritable map or listing.
int dump_mapped(std::int32_t nb, const char* map_path, const char* write_path);

}  // namespace koddar
