// Writing back the map that a trace inferred, in the map file's own syntax, so that the user can
// edit it and run again.
#pragma once

#include <cstdint>
#include <string>

#include "map.h"
#include "tracer.h"

namespace koddar {

// The inferred map: the entry points, the data ranges (the map's and every run of bytes that no
// path reached), each range of code as a comment, every name and the register and port names.
std::string inferred_map(const Map& map, const Trace& trace, std::int32_t reloc);

// Writes text to path whole or not at all, through the output file module that every program
// writing a file shares. 0, or the reason (an errno value) when it could not be written.
int write_whole_file(const char* path, const std::string& text);

// Writes the inferred map to path and says so on the standard error, or why not: false then.
bool write_map_file(const char* path, const std::string& text);

}  // namespace koddar
