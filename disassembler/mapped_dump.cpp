// The listing with a map.
#include "mapped_dump.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "address.h"
#include "analysis.h"
#include "data_lines.h"
#include "decoder.h"
#include "map.h"
#include "map_writer.h"
#include "messages.h"
#include "symbols.h"
#include "tracer.h"

namespace koddar {

namespace {

// An image offset, known not to be negative, as an index.
inline std::size_t index(std::int32_t off)
{
    return static_cast<std::size_t>(off);
}

std::string hex4(std::int32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04X", static_cast<std::uint32_t>(v));
    return text;
}

void report(const Stop& s)
{
    const std::string from = s.from_line != 0 ? "line " + std::to_string(s.from_line) + " of the map" : hex4(s.from);
    const std::string at = hex4(s.at);
    switch (s.why) {
    case Stop::Undefined:
        std::fprintf(stderr, "Undefined opcode at %s, reached from %s.\n", at.c_str(), from.c_str());
        break;
    case Stop::Inside:
        std::fprintf(stderr, "%s is inside the instruction at %s, reached from %s.\n", at.c_str(),
                     hex4(s.other).c_str(), from.c_str());
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
                     hex4(s.other).c_str(), from.c_str());
        break;
    case Stop::InParams:
        std::fprintf(stderr, "%s is in the parameters of the call at %s, reached from %s.\n", at.c_str(),
                     hex4(s.other).c_str(), from.c_str());
        break;
    case Stop::Params:
        std::fprintf(stderr, "The parameters of the call at %s run into %s.\n", at.c_str(), hex4(s.other).c_str());
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
                     hex4(n.address).c_str(), hex4(add32(reloc, off)).c_str());
    }
}

namespace {

std::string_view note_text(Note n)
{
    switch (n) {
    case Note::None: return "";
    case Note::Indirect: return " ; indirect, not followed";
    case Note::Indexed: return " ; indexed, not followed";
    case Note::NoVector: return " ; vector not loaded, not followed";
    case Note::Found: return " ; found, not reached";
    }
    return "";
}

// The map's comment at the end of a line.
void put_comment(Line& line, const std::string* comment)
{
    if (comment == nullptr)
        return;
    line.put(" ; ");
    line.put(comment->data(), comment->size());
}

// Lines go out through one buffer, as the plain listing's do.
char out[1 << 16];
std::size_t out_used = 0;

void flush_lines()
{
    std::fwrite(out, 1, out_used, stdout);
    out_used = 0;
}

void print(const char* text, std::size_t size)
{
    if (sizeof out - out_used < size + 1)
        flush_lines();
    if (size + 1 > sizeof out) {
        std::fwrite(text, 1, size, stdout);
        std::putc('\n', stdout);
        return;
    }
    std::memcpy(out + out_used, text, size);
    out[out_used + size] = '\n';
    out_used += size + 1;
}

// The lister: walks the window, one line per instruction or run of data, each label on a line
// of its own before its address.
class Lister {
public:
    Lister(const Map& map, const Trace& trace) : trace_(trace), range_(trace.use.size(), -1), kind_(map.ranges.size())
    {
        for (std::size_t i = 0; i < map.ranges.size(); ++i) {
            const MapRange& r = map.ranges[i];
            kind_[i] = r.kind;
            for (std::int32_t at = r.start; at <= r.end; ++at)
                range_[static_cast<std::size_t>(sub32(at, reloc))] = static_cast<int>(i);
        }
    }

    void list(std::int32_t from, std::int32_t to);

private:
    Use use(std::int32_t off) const { return trace_.use[static_cast<std::size_t>(off)]; }
    bool label(std::int32_t off, const std::string* comment);
    std::int32_t instruction(std::int32_t off, const std::string* comment);
    std::int32_t data(std::int32_t off, std::int32_t to, const std::string* comment);

    const Trace& trace_;
    std::vector<int> range_;  // per offset: index of its map range, -1 outside ranges
    std::vector<DataKind> kind_;
};

// The label line, with the map's comment for the address; false when there is no label.
bool Lister::label(std::int32_t off, const std::string* comment)
{
    const std::string* name = symbols->at_offset(off);
    if (name == nullptr)
        return false;
    const std::int32_t at = add32(reloc, off);
    const auto& refs = trace_.refs;
    const auto first =
        std::lower_bound(refs.begin(), refs.end(), at, [](const Ref& r, std::int32_t x) { return r.target < x; });
    auto last = first;
    while (last != refs.end() && last->target == at)
        ++last;
    Line line;
    label_line(line, at, name->data(), name->size(), refs.data() + (first - refs.begin()),
               static_cast<std::size_t>(last - first));
    put_comment(line, comment);
    print(line.text(), line.size());
    return true;
}

// The instruction's line, with the note of a flow the trace did not follow. A four-digit
// address's line is written in place in the output buffer; a wider one is assembled here from
// the decoder's columns, not taken from Dasmtms7020's line store: with names an operand column
// outgrows a plain line.
std::int32_t Lister::instruction(std::int32_t off, const std::string* comment)
{
    const std::string_view note = note_text(trace_.note[index(off)]);
    static_assert(sizeof out > kMappedLineSize, "a whole line fits in the output buffer");
    if (sizeof out - out_used < kMappedLineSize + 1)
        flush_lines();
    if (comment == nullptr) {
        if (const std::size_t size = write_four_digit_line(out + out_used, kMappedLineSize - note.size(), off)) {
            std::memcpy(out + out_used + size, note.data(), note.size());
            out[out_used + size + note.size()] = '\n';
            out_used += size + note.size() + 1;
            return a;
        }
    }
    char ligne[kLineSize];
    const std::int32_t next = Dasmtms7020(ligne, off);
    Line line;
    line.put(hexa, hexa_length);
    line.pad_to(kMnemonicColumn);
    line.put(mnemo, mnemo_field->size);
    line.pad_to(kOperandColumn);
    line.put(param, param_length);
    line.put(note.data(), note.size());
    put_comment(line, comment);
    print(line.text(), line.size());
    return next;
}

// A data line: up to kDataLineBytes bytes of one kind, cut at the window's end, at a label, at
// code and at the edge of a range.
std::int32_t Lister::data(std::int32_t off, std::int32_t to, const std::string* comment)
{
    const Use u = use(off);
    const int range = u == Use::Data ? range_[static_cast<std::size_t>(off)] : -1;
    const DataKind kind = range >= 0 ? kind_[static_cast<std::size_t>(range)] : DataKind::Bytes;
    int count = 1;
    while (count < kDataLineBytes && off + count < to && use(off + count) == u &&
           (u != Use::Data || range_[index(off + count)] == range) && symbols->at_offset(off + count) == nullptr &&
           trace_.params[index(off + count)] == trace_.params[index(off)] &&
           symbols->comment_at(off + count) == nullptr)
        ++count;
    if ((kind == DataKind::Words || kind == DataKind::Addrs) && count > 1)
        count &= ~1;
    Line line;
    data_line(line, add32(reloc, off), buffer + off, count, kind);
    put_comment(line, comment);
    print(line.text(), line.size());
    return off + count;
}

void Lister::list(std::int32_t from, std::int32_t to)
{
    std::int32_t off = from;
    while (off < to) {
        const std::string* comment = symbols->comment_at(off);
        if (use(off) != Use::CodeMore && label(off, comment))
            comment = nullptr;  // shown on the label's line
        off = use(off) == Use::Code ? instruction(off, comment) : data(off, to, comment);
    }
}

}  // namespace

void list_mapped(const Map& map, const Trace& trace, std::int32_t from, std::int32_t to)
{
    const Symbols names(map, trace, reloc);
    symbols = operand_names = &names;
    Lister(map, trace).list(from, to);
    flush_lines();
    symbols = operand_names = nullptr;
}

int dump_mapped(std::int32_t nb, const char* map_path, const char* write_path)
{
    Map map;
    if (!read_map(map_path, reloc, loaded_length, map))
        return 1;
    Trace trace;
    Findings found;
    if (!analysed_trace(map, buffer, loaded_length, reloc, trace, found))
        return 1;
    report_trace(trace);
    if (write_path != nullptr && !write_map_file(write_path, inferred_map(map, trace, reloc)))
        return 1;
    list_mapped(map, trace, a, nb);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        erreur(kCannotWrite);
        return 1;
    }
    summary(trace);
    report_findings(trace, found);
    return 0;
}

}  // namespace koddar
