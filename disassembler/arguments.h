// The command line of koddar: options -h, -r, -s, -e, -m, -w, -a, -c, -f, -t and the one
// operand, the source file.
#pragma once

#include <cstdint>

#include "mapped_run.h"

namespace koddar {

extern std::int32_t debut;  // start address from -s, 0 when not given
extern std::int32_t fin;    // end address from -e, 0 when not given
extern const char* source;  // the source file

// What the options past the listing's own ask for.
struct Options {
    MapOptions map;              // -m, -w, -f, -t
    bool source_output = false;  // -a: kodasm source instead of the listing
};

// An option value: the argument with its first character skipped, read as base-16 strtol
// and saturated to the signed 32-bit range. An empty argument reads 0.
std::int32_t option_value(const char* arg);

// A file name option value (-m, -w): the argument with its first character skipped, as for
// the address options, so -m:file.map names file.map.
const char* file_value(const char* arg);

// Sets reloc, debut, fin, source, the processor and `options`; returns 0 when the run may go on,
// 1 after -h or a refused command line, having printed its own messages.
int ManageArguments(int argc, char** argv, Options& options);

}  // namespace koddar
