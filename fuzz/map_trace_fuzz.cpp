// The map reader, the tracer, the mapped listing and the map writer over arbitrary map text and
// images. Input: 2 bytes map length n (little-endian), n bytes of map text, 1 byte choosing the
// relocation, then the image. A refused map gets one "fuzz.map:LINE: message" line; an accepted
// one traces to a consistent picture of the image, lists in bounded lines, and the map written
// back reads again, traces and lists the same, and writes itself again. With bit 2 of the
// relocation byte the map text is read as an execution log too, and the analysis after the
// trace runs (jump tables, text, gaps, the log): its trace stays consistent, lists in bounded
// lines, and the map it writes reads back and traces to the same code.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "analysis.h"
#include "capture.h"
#include "data_lines.h"
#include "decoder.h"
#include "map.h"
#include "map_writer.h"
#include "mapped_dump.h"
#include "tracer.h"

namespace {

// An image offset, known not to be negative, as an index.
inline std::size_t index(std::int32_t off)
{
    return static_cast<std::size_t>(off);
}

void check_trace(const koddar::Trace& t, std::int32_t n)
{
    using koddar::Use;
    fuzz::check(t.use.size() == static_cast<std::size_t>(n) && t.note.size() == t.use.size(),
                "one use and one note per byte");
    fuzz::check(t.code_bytes + t.data_bytes == n && t.code_bytes >= 0, "code and data add up to the image");
    std::int32_t off = 0;
    while (off < n) {
        const Use u = t.use[static_cast<std::size_t>(off)];
        fuzz::check(u != Use::CodeMore, "no instruction byte without its opcode");
        if (u == Use::Data) {
            fuzz::check(t.note[static_cast<std::size_t>(off)] == koddar::Note::None, "notes on instructions only");
            ++off;
            continue;
        }
        const int length = koddar::instruction_length(koddar::buffer[off]);
        fuzz::check(off + length <= n, "an instruction lies whole in the image");
        for (int i = 1; i < length; ++i)
            fuzz::check(t.use[index(off + i)] == Use::CodeMore, "the instruction's bytes follow it");
        off += length;
    }
    for (std::size_t i = 1; i < t.refs.size(); ++i) {
        const auto& x = t.refs[i - 1];
        const auto& y = t.refs[i];
        fuzz::check(x.target < y.target || (x.target == y.target && x.from < y.from), "references sorted, once each");
    }
    for (std::size_t i = 1; i < t.labels.size(); ++i)
        fuzz::check(t.labels[i - 1].address < t.labels[i].address, "one label to an address, sorted");
}

// The listing of the whole image, its lines checked against their store.
std::string list(const koddar::Map& map, const koddar::Trace& trace, std::int32_t n)
{
    fuzz::Capture cap;
    koddar::list_mapped(map, trace, 0, n);
    const std::string& out = cap.out();
    std::size_t start = 0;
    while (start < out.size()) {
        const std::size_t end = out.find('\n', start);
        fuzz::check(end != std::string::npos, "every line ends");
        fuzz::check(end - start < koddar::kMappedLineSize, "lines fit their store", out.substr(start, 80));
        start = end + 1;
    }
    return out;
}

// The analysis after the trace, with the map text as a log as well.
void analyse(koddar::Map& map, const char* text, std::size_t size, std::vector<unsigned char>& image, std::int32_t n)
{
    std::vector<std::int32_t> log;
    {
        fuzz::Capture cap;
        koddar::parse_exec_log(text, size, "fuzz.log", map, koddar::reloc, n, log);
    }
    for (const std::int32_t at : log) {
        const std::int32_t off = at - koddar::reloc;
        fuzz::check(off >= 0 && off < n, "log addresses lie in the image");
    }
    koddar::Trace trace;
    koddar::Findings found;
    const koddar::Analysis all{true, true, koddar::kTextLength, nullptr, true};
    const bool ok = koddar::analysed_trace(map, image.data(), n, koddar::reloc, all, trace, found);
    fuzz::check(ok, "the analysis without a log file never fails");
    check_trace(trace, n);
    if (!log.empty() && trace.traced)
        koddar::trace_more(map, trace, image.data(), n, koddar::reloc, log);
    check_trace(trace, n);
    for (std::size_t i = 0; i < map.ranges.size(); ++i)
        for (std::size_t k = i + 1; k < map.ranges.size(); ++k)
            fuzz::check(map.ranges[i].end < map.ranges[k].start || map.ranges[k].end < map.ranges[i].start,
                        "found ranges overlap no other range");
    list(map, trace, n);
    const std::string written = koddar::inferred_map(map, trace, koddar::reloc);
    koddar::Map again;
    {
        fuzz::Capture cap;
        fuzz::check(koddar::parse_map(written.data(), written.size(), "written.map", koddar::reloc, n, again),
                    "the written map reads back", cap.err() + written);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const std::size_t map_size = data[0] | static_cast<std::size_t>(data[1]) << 8;
    if (size < 3 + map_size)
        return 0;
    const char* text = reinterpret_cast<const char*>(data + 2);
    const std::uint8_t control = data[2 + map_size];
    std::vector<unsigned char> image(data + 3 + map_size, data + size);
    const auto n = static_cast<std::int32_t>(image.size());
    if (n == 0 || n > koddar::kImageSize)
        return 0;
    const std::int32_t relocs[] = {0xF000, 0, static_cast<std::int32_t>(0x10000 - n), -0x10};
    koddar::reloc = relocs[control & 3];
    koddar::buffer = image.data();
    koddar::loaded_length = n;

    koddar::Map map;
    bool ok;
    {
        fuzz::Capture cap;
        ok = koddar::parse_map(text, map_size, "fuzz.map", koddar::reloc, n, map);
        const std::string& err = cap.err();
        if (ok) {
            fuzz::check(err.empty(), "an accepted map prints nothing", err);
        } else {
            fuzz::check(err.rfind("fuzz.map:", 0) == 0 && !err.empty() && err.back() == '\n' &&
                            err.find('\n') == err.size() - 1,
                        "a refused map gets one line naming the file", err);
        }
    }
    if (!ok) {
        koddar::buffer = nullptr;
        return 0;
    }
    if (control & 4) {
        analyse(map, text, map_size, image, n);
        koddar::buffer = nullptr;
        return 0;
    }
    const koddar::Trace trace = koddar::trace_image(map, image.data(), n, koddar::reloc);
    check_trace(trace, n);
    const std::string listing = list(map, trace, n);
    // The written map reads back, lists the same and writes itself again.
    const std::string written = koddar::inferred_map(map, trace, koddar::reloc);
    koddar::Map again;
    {
        fuzz::Capture cap;
        ok = koddar::parse_map(written.data(), written.size(), "written.map", koddar::reloc, n, again);
        fuzz::check(ok, "the written map reads back", cap.err() + written);
    }
    const koddar::Trace retrace = koddar::trace_image(again, image.data(), n, koddar::reloc);
    fuzz::check(retrace.use == trace.use, "the written map traces to the same code", written);
    fuzz::check(list(again, retrace, n) == listing, "the written map lists the same", written);
    fuzz::check(koddar::inferred_map(again, retrace, koddar::reloc) == written, "the written map writes itself",
                written);
    koddar::buffer = nullptr;
    return 0;
}
