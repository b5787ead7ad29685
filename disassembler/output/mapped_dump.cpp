// The listing with a map: one line for each item of the layout.
#include "mapped_dump.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "address.h"
#include "analysis.h"
#include "mapped_run.h"
#include "data_lines.h"
#include "decoder.h"
#include "fields.h"
#include "layout.h"
#include "scoped.h"
#include "symbols.h"

namespace koddar {

namespace {

// The map's comment at the end of a line.
void put_comment(Line& line, const std::string* comment)
{
    if (comment == nullptr)
        return;
    line.put(" ; ");
    line.put(comment->data(), comment->size());
}

// The renderer: its lines go out through one buffer, as the plain listing's do.
class Lister {
public:
    Lister(const Trace& trace, const Symbols& names) : trace_(trace), names_(names) {}
    Lister(const Lister&) = delete;
    Lister& operator=(const Lister&) = delete;
    ~Lister() { flush(); }

    void operator()(const Item& item)
    {
        switch (item.kind) {
        case Item::Label: label(item); break;
        case Item::Instruction: instruction(item); break;
        case Item::Data: data(item); break;
        }
    }

private:
    void flush()
    {
        std::fwrite(out_, 1, used_, stdout);
        used_ = 0;
    }
    void print(const Line& line);
    void label(const Item& item);
    void instruction(const Item& item);
    void data(const Item& item);

    const Trace& trace_;
    const Symbols& names_;
    char out_[1 << 16]{};
    std::size_t used_ = 0;
    std::size_t first_ref_ = 0;  // in trace_.refs: the first whose target is not below last_label_
    std::int32_t last_label_ = 0;
};

void Lister::print(const Line& line)
{
    static_assert(sizeof out_ > kMappedLineSize, "a whole line fits in the output buffer");
    if (sizeof out_ - used_ < line.size() + 1)
        flush();
    std::memcpy(out_ + used_, line.text(), line.size());
    out_[used_ + line.size()] = '\n';
    used_ += line.size() + 1;
}

// The label line: the sources of the references to it as a comment, then the map's comment.
void Lister::label(const Item& item)
{
    const std::int32_t at = add32(reloc, item.offset);
    const auto& refs = trace_.refs;
    // The labels come in address order, and so do the references: the search goes on from
    // where the last one stopped, unless the addresses went down (a window that wraps).
    if (at < last_label_)
        first_ref_ = 0;
    last_label_ = at;
    while (first_ref_ < refs.size() && refs[first_ref_].target < at)
        ++first_ref_;
    const auto first = refs.begin() + static_cast<std::ptrdiff_t>(first_ref_);
    auto last = first;
    while (last != refs.end() && last->target == at)
        ++last;
    const Ref* const from = refs.data() + (first - refs.begin());
    const auto count = static_cast<std::size_t>(last - first);
    if (item.comment == nullptr) {  // most label lines: written in place, as instruction lines are
        if (sizeof out_ - used_ < kMappedLineSize + 1)
            flush();
        if (const std::size_t size =
                write_label_line(out_ + used_, at, item.name->data(), item.name->size(), from, count)) {
            out_[used_ + size] = '\n';
            used_ += size + 1;
            return;
        }
    }
    Line line;
    label_line(line, at, item.name->data(), item.name->size(), from, count);
    put_comment(line, item.comment);
    print(line);
}

// The instruction's line, with the note of a flow the trace did not follow. A four-digit
// address's line without a comment is written in place in the output buffer; another one is
// assembled here from the decoder's columns, not taken from Dasmtms7020's line store: with
// names an operand column outgrows a plain line.
void Lister::instruction(const Item& item)
{
    const std::int32_t off = item.offset;
    const std::string_view note = note_text(trace_.note[static_cast<std::size_t>(off)]);
    if (item.comment == nullptr) {
        if (sizeof out_ - used_ < kMappedLineSize + 1)
            flush();
        if (const std::size_t size = write_four_digit_line(out_ + used_, kMappedLineSize - note.size(), off)) {
            if (!note.empty())  // most lines have none: no call for nothing
                std::memcpy(out_ + used_ + size, note.data(), note.size());
            out_[used_ + size + note.size()] = '\n';
            used_ += size + note.size() + 1;
            return;
        }
    }
    char ligne[kLineSize];
    Dasmtms7020(ligne, off);
    const Columns columns = last_columns();
    Line line;
    line.put(columns.hex.data(), columns.hex.size());
    line.pad_to(kMnemonicColumn);
    line.put(columns.mnemonic.data(), columns.mnemonic.size());
    line.pad_to(kOperandColumn);
    line.put(columns.operands.data(), columns.operands.size());
    line.put(note.data(), note.size());
    put_comment(line, item.comment);
    print(line);
}

void Lister::data(const Item& item)
{
    Line line;
    data_line(line, add32(reloc, item.offset), buffer + item.offset, item.size, item.data, &names_);
    put_comment(line, item.comment);
    print(line);
}

}  // namespace

void list_mapped(const Map& map, const Trace& trace, std::int32_t from, std::int32_t to)
{
    const Symbols names(map, trace, reloc);
    const ScopedNames named(names);
    Lister lister(trace, names);
    Layout(map, trace, names, kListingRuns, loaded_length).walk(from, to, lister);
}

int dump_mapped(std::int32_t nb, const MapOptions& options)
{
    MappedRun run;
    if (!trace_with_map(options, run))
        return 1;
    list_mapped(run.map, run.trace, a, nb);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return kListingUnwritten;
    summary(run.trace);
    report_findings(run.trace, run.found);
    return 0;
}

}  // namespace koddar
