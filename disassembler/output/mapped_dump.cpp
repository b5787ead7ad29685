// The listing with a map.
#include "mapped_dump.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "address.h"
#include "data_lines.h"
#include "decoder.h"
#include "fields.h"
#include "map.h"
#include "analysis.h"
#include "scoped.h"
#include "symbols.h"
#include "tracer.h"

namespace koddar {

namespace {

// An image offset, known not to be negative, as an index.
inline std::size_t index(std::int32_t off)
{
    return static_cast<std::size_t>(off);
}

std::string_view note_text(Note n)
{
    switch (n) {
    case Note::None: return "";
    case Note::Indirect: return " ; indirect, not followed";
    case Note::Indexed: return " ; indexed, not followed";
    case Note::NoVector: return " ; vector not loaded, not followed";
    }
    return "";
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
    Lister(const Map& map, const Trace& trace, const Symbols& names)
        : trace_(trace), names_(names), range_(trace.use.size(), -1), kind_(map.ranges.size())
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
    void label(std::int32_t off);
    std::int32_t instruction(std::int32_t off);
    std::int32_t data(std::int32_t off, std::int32_t to);

    const Trace& trace_;
    const Symbols& names_;
    std::vector<int> range_;  // per offset: index of its map range, -1 outside ranges
    std::vector<DataKind> kind_;
};

void Lister::label(std::int32_t off)
{
    const std::string* name = names_.at_offset(off);
    if (name == nullptr)
        return;
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
    print(line.text(), line.size());
}

// The instruction's line, with the note of a flow the trace did not follow. A four-digit
// address's line is written in place in the output buffer; a wider one is assembled here from
// the decoder's columns, not taken from Dasmtms7020's line store: with names an operand column
// outgrows a plain line.
std::int32_t Lister::instruction(std::int32_t off)
{
    const std::string_view note = note_text(trace_.note[index(off)]);
    static_assert(sizeof out > kMappedLineSize, "a whole line fits in the output buffer");
    if (sizeof out - out_used < kMappedLineSize + 1)
        flush_lines();
    if (const std::size_t size = write_four_digit_line(out + out_used, kMappedLineSize - note.size(), off)) {
        std::memcpy(out + out_used + size, note.data(), note.size());
        out[out_used + size + note.size()] = '\n';
        out_used += size + note.size() + 1;
        return a;
    }
    char ligne[kLineSize];
    const std::int32_t next = Dasmtms7020(ligne, off);
    Line line;
    line.put(hexa, hexa_length);
    line.pad_to(kMnemonicColumn);
    line.put(mnemo, mnemonic_field.row[mnemonic].size);
    line.pad_to(kOperandColumn);
    line.put(param, param_length);
    line.put(note.data(), note.size());
    print(line.text(), line.size());
    return next;
}

// A data line: up to kDataLineBytes bytes of one kind, cut at the window's end, at a label, at
// code and at the edge of a range.
std::int32_t Lister::data(std::int32_t off, std::int32_t to)
{
    const Use u = use(off);
    const int range = u == Use::Data ? range_[static_cast<std::size_t>(off)] : -1;
    const DataKind kind = range >= 0 ? kind_[static_cast<std::size_t>(range)] : DataKind::Bytes;
    int count = 1;
    while (count < kDataLineBytes && off + count < to && use(off + count) == u &&
           (u != Use::Data || range_[index(off + count)] == range) && names_.at_offset(off + count) == nullptr)
        ++count;
    if ((kind == DataKind::Words || kind == DataKind::Addrs) && count > 1)
        count &= ~1;
    Line line;
    data_line(line, add32(reloc, off), buffer + off, count, kind, &names_);
    print(line.text(), line.size());
    return off + count;
}

void Lister::list(std::int32_t from, std::int32_t to)
{
    std::int32_t off = from;
    while (off < to) {
        if (use(off) != Use::CodeMore)
            label(off);
        off = use(off) == Use::Code ? instruction(off) : data(off, to);
    }
}

}  // namespace

void list_mapped(const Map& map, const Trace& trace, std::int32_t from, std::int32_t to)
{
    const Symbols names(map, trace, reloc);
    const ScopedNames named(names);
    Lister(map, trace, names).list(from, to);
    flush_lines();
}

int dump_mapped(std::int32_t nb, const char* map_path, const char* write_path)
{
    Analysis analysis;
    if (!analyse(map_path, write_path, true, analysis))
        return 1;
    list_mapped(analysis.map, analysis.trace, a, nb);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return kListingUnwritten;
    report_summary(analysis.trace);
    return 0;
}

}  // namespace koddar
