// The map, the trace, the stopped paths and the map written back.
#include "mapped_run.h"

#include <cstdio>
#include <string>

#include "address.h"
#include "decoder.h"
#include "map_writer.h"
#include "text.h"

namespace koddar {

namespace {

// An image offset, known not to be negative, as an index.
inline std::size_t index(std::int32_t off)
{
    return static_cast<std::size_t>(off);
}

void report(const Stop& s)
{
    const std::string from =
        s.from_line != 0 ? "line " + std::to_string(s.from_line) + " of the map" : hex_address(s.from);
    const std::string at = hex_address(s.at);
    switch (s.why) {
    case Stop::Undefined:
        std::fprintf(stderr, "Undefined opcode at %s, reached from %s.\n", at.c_str(), from.c_str());
        break;
    case Stop::Inside:
        std::fprintf(stderr, "%s is inside the instruction at %s, reached from %s.\n", at.c_str(),
                     hex_address(s.other).c_str(), from.c_str());
        break;
    case Stop::Outside:
        std::fprintf(stderr, "%s is outside the image, reached from %s.\n", at.c_str(), from.c_str());
        break;
    case Stop::InData:
        if (s.other < 0)
            std::fprintf(stderr, "%s is in data found by koddar, reached from %s.\n", at.c_str(), from.c_str());
        else
            std::fprintf(stderr, "%s is in the data range of line %d, reached from %s.\n", at.c_str(), s.other,
                         from.c_str());
        break;
    case Stop::Overlap:
        std::fprintf(stderr, "The instruction at %s runs into %s, reached from %s.\n", at.c_str(),
                     hex_address(s.other).c_str(), from.c_str());
        break;
    case Stop::InParams:
        std::fprintf(stderr, "%s is in the parameters of the call at %s, reached from %s.\n", at.c_str(),
                     hex_address(s.other).c_str(), from.c_str());
        break;
    case Stop::Params:
        std::fprintf(stderr, "The parameters of the call at %s run into %s.\n", at.c_str(),
                     hex_address(s.other).c_str());
        break;
    }
}

const char* plural(std::int32_t n, const char* one, const char* many)
{
    return n == 1 ? one : many;
}

}  // namespace

void summary(const Trace& t)
{
    std::fprintf(stderr, "%d %s of code, %d %s of data, %d %s, %d %s not followed", t.code_bytes,
                 plural(t.code_bytes, "byte", "bytes"), t.data_bytes, plural(t.data_bytes, "byte", "bytes"), t.entries,
                 plural(t.entries, "entry point", "entry points"), t.not_followed,
                 plural(t.not_followed, "branch", "branches"));
    if (t.unused_vectors != 0)
        std::fprintf(stderr, ", %d %s", t.unused_vectors, plural(t.unused_vectors, "unused vector", "unused vectors"));
    std::fputs(".\n", stderr);
}

// The paths that stopped, and the map's labels that no line can carry: inside an instruction.
void report_trace(const Trace& trace)
{
    for (const Stop& s : trace.stops)
        report(s);
    for (const MapName& n : trace.labels) {  // in address order; only the map's lie inside one
        std::int32_t off = sub32(n.address, reloc);
        if (off < 0 || off >= static_cast<std::int32_t>(trace.use.size()) || trace.use[index(off)] != Use::CodeMore)
            continue;
        while (trace.use[index(off)] != Use::Code)
            --off;
        std::fprintf(stderr, "Label `%s' at %s is inside the instruction at %s.\n", n.name.c_str(),
                     hex_address(n.address).c_str(), hex_address(add32(reloc, off)).c_str());
    }
}

bool trace_with_map(const MapOptions& options, MappedRun& out)
{
    return read_map(options.map_file, reloc, loaded_length, out.map) &&
           trace_with_map(out.map, options, out.trace, out.found);
}

bool trace_with_map(Map& map, const MapOptions& options, Trace& trace, Findings& found)
{
    if (!analysed_trace(map, buffer, loaded_length, reloc, options.analysis, trace, found))
        return false;
    report_trace(trace);
    return options.map_out == nullptr || write_map_file(options.map_out, inferred_map(map, trace, reloc));
}

}  // namespace koddar
