// Source lines are the listing's mnemonic and operand columns, changed only where kodasm would
// read the listing's text as other bytes:
// - registers 0 and 1 in a register-file operand print as A and B, which also name the forms
//   with A and B built in (MOV B,A is 62, and 12 01 too): they are written R0 and R1;
// - a branch target is written in 16 bits, where the program counter wraps;
// - undefined opcodes, LVDP (whose register byte the listing does not show) and an instruction
//   cut off by the end of the image are written as BYTE, with the listing's text as a comment.
// With a map, the trace decides what is code; data is written as BYTE, WORD and TEXT as the
// mapped listing groups it, and the names of the map and of the trace become labels, EQUs and
// operands.
#include "source_writer.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "address.h"
#include "analysis.h"
#include "mapped_run.h"
#include "data_lines.h"
#include "decoder.h"
#include "dump.h"
#include "map.h"
#include "layout.h"
#include "opcode_map.h"
#include "processor.h"
#include "symbols.h"
#include "text.h"
#include "tracer.h"

namespace koddar {

namespace {

constexpr std::size_t kSourceMnemonic = 8;
constexpr std::size_t kSourceOperand = 15;
constexpr std::size_t kSourceComment = 40;
// A BYTE or WORD line holds up to 16 bytes, a TEXT line up to 64, ending after a 00.
constexpr RunLengths kSourceRuns{16, 64, true};

unsigned byte_at(std::int32_t off)
{
    return static_cast<unsigned char>(Mgetc(off));
}

std::string hex2(unsigned n)
{
    return std::string("$") + hex_upper[n].text;
}

// A 16-bit value in source notation.
std::string hex4(std::uint32_t v)
{
    return "$" + hex_address(static_cast<std::int32_t>(v & 0xFFFFu));
}

class Writer {
public:
    Writer(std::FILE* out, const Map* map, const Trace* trace, const Symbols* names)
        : out_(out), map_(map), trace_(trace), names_(names)
    {
        // Source places nothing past FFFF: an image that runs on is cut there.
        if (reloc >= 0 && loaded_length > sub32(0x10000, reloc)) {
            limit_ = sub32(0x10000, reloc);
            cut_text_ = "cut off at address FFFF";
        }
    }

    void write(std::int32_t from, std::int32_t to);

private:
    bool mapped() const { return map_ != nullptr; }
    Use use(std::int32_t off) const { return mapped() ? trace_->use[static_cast<std::size_t>(off)] : Use::Code; }
    const std::string* name_of(std::int32_t address) const;
    const std::string* reg_name(unsigned n) const { return mapped() ? names_->reg(n) : nullptr; }
    const std::string* port_name(unsigned n) const { return mapped() ? names_->port(n) : nullptr; }

    void line(const char* mnemonic, const std::string& operands, const std::string& comment = "");
    void equ(const std::string& name, const std::string& value);
    void definitions(const std::vector<Item>& items);
    void label(const Item& item);
    std::string found_note(std::int32_t off) const;
    void instruction(std::int32_t off, const std::string* map_comment);
    void data(const Item& item);
    std::string operand(int kind, const char* printed, std::int32_t off) const;

    std::FILE* out_;
    const Map* map_;
    const Trace* trace_;
    const Symbols* names_;                  // the names; the decoder is not lent them, so that its
                                            // operand texts are the plain ones this writer starts from
    std::unordered_set<std::string> used_;  // names written as labels or EQUs
    std::int32_t limit_ = loaded_length;    // the end of what the source can place
    const char* cut_text_ = "cut off by the end of the image";
};

// Names outside 0000 to FFFF are left out: source cannot place them, and no 16-bit operand
// reaches them.
const std::string* Writer::name_of(std::int32_t address) const
{
    const std::int32_t at = program_address(address, within_16_bits(reloc, loaded_length));
    return mapped() && at >= 0 && at <= 0xFFFF ? names_->address(at) : nullptr;
}

void Writer::line(const char* mnemonic, const std::string& operands, const std::string& comment)
{
    std::string text(kSourceMnemonic, ' ');
    text += mnemonic;
    if (!operands.empty() || !comment.empty()) {
        text.resize(std::max(text.size(), kSourceOperand), ' ');
        text += operands;
    }
    if (!comment.empty()) {
        text.resize(std::max(text.size() + 1, kSourceComment), ' ');
        text += "; " + comment;
    }
    std::fprintf(out_, "%s\n", text.c_str());
}

void Writer::equ(const std::string& name, const std::string& value)
{
    std::string text = name;
    text.resize(std::max(text.size() + 1, kSourceMnemonic), ' ');
    text += "EQU";
    text.resize(std::max(text.size() + 1, kSourceOperand), ' ');
    text += value;
    std::fprintf(out_, "%s\n", text.c_str());
}

// The text of one operand: the decoder's, with the names of the map and the trace, R0 and R1
// for registers 0 and 1, and branch targets in 16 bits.
std::string Writer::operand(int kind, const char* printed, std::int32_t off) const
{
    const unsigned n = byte_at(off);
    const std::uint32_t word = n << 8 | byte_at(off + 1);
    const std::string* name = nullptr;
    switch (kind) {
    case K_REG:
        if ((name = reg_name(n)) != nullptr)
            return *name;
        return n <= 1 ? (n == 0 ? "R0" : "R1") : printed;
    case K_INDIRECT: return (name = reg_name(n)) != nullptr ? "*" + *name : printed;
    case K_PORT: return (name = port_name(n)) != nullptr ? *name : printed;
    case K_IMM16: return (name = name_of(static_cast<std::int32_t>(word))) != nullptr ? "%" + *name : printed;
    case K_ADDR: return (name = name_of(static_cast<std::int32_t>(word))) != nullptr ? *name : printed;
    case K_DIRECT: return (name = name_of(static_cast<std::int32_t>(word))) != nullptr ? "@" + *name : printed;
    case K_INDEXED: return (name = name_of(static_cast<std::int32_t>(word))) != nullptr ? "@" + *name + "(B)" : printed;
    case K_REL: {
        const std::int32_t target = add32(add32(reloc, off + 1), static_cast<std::int8_t>(n));
        if ((name = name_of(target)) != nullptr)
            return *name;
        return hex4(static_cast<std::uint32_t>(target));
    }
    default: return printed;
    }
}

// The map's comment after a comment of the writer's own.
std::string joined(std::string own, const std::string* comment)
{
    if (comment == nullptr)
        return own;
    return own.empty() ? *comment : own + std::string(kNoteLead) + *comment;
}

// The first instruction of a routine found in a gap says so, as in the listing, so that the
// reader can tell it from traced code; the listing's other notes are left to the listing.
std::string Writer::found_note(std::int32_t off) const
{
    if (!mapped() || trace_->note[static_cast<std::size_t>(off)] != Note::Found)
        return "";
    return std::string(note_text(Note::Found).substr(kNoteLead.size()));
}

void Writer::instruction(std::int32_t off, const std::string* map_comment)
{
    const std::string found = found_note(off);
    const std::string* comment = map_comment;
    std::string both;  // the note, then the map's comment
    if (!found.empty()) {
        both = joined(found, map_comment);
        comment = &both;
    }
    char ligne[kLineSize];
    const std::int32_t next = Dasmtms7020(ligne, off);
    const Columns columns = last_columns();
    const std::string mnemonic_text(columns.mnemonic);
    const Opcode& entry = active_map()[byte_at(off)];
    const bool cut = next > limit_ || (mapped() && next > off + 1 && use(std::min(next, limit_) - 1) != Use::CodeMore);
    if (cut || entry.op == UNDEF || entry.op == LVDP) {
        std::string bytes;
        const std::int32_t end = std::min(next, limit_);
        for (std::int32_t i = off; i < end; ++i)
            bytes += (i == off ? "" : ",") + hex2(byte_at(i));
        std::string own = mnemonic_text;
        if (!columns.operands.empty())
            own += " " + std::string(columns.operands);
        line("BYTE", bytes, joined(next > limit_ ? cut_text_ : own, comment));
        return;
    }
    // The operands the decoder printed, one piece each, in the order of the bytes they read.
    std::string operands;
    const std::string printed_operands(columns.operands);
    const char* piece = printed_operands.c_str();
    std::int32_t at = off + 1;
    for (const int kind : {entry.p1, entry.p2, entry.p3}) {
        if (kind == K_NONE)
            continue;
        const int size = operand_bytes(kind);
        if (kind == K_PORT && mnemonic == WVDP) {  // the video port is not printed
            at += size;
            continue;
        }
        const char* end = std::strchr(piece, ',');
        const std::string printed(piece, end ? static_cast<std::size_t>(end - piece) : std::strlen(piece));
        piece = end ? end + 1 : piece + printed.size();
        if (!operands.empty())
            operands += ",";
        operands += operand(kind, printed.c_str(), at);
        at += size;
    }
    line(mnemonic_text.c_str(), operands, joined("", comment));
}

// A directive for one data run of the layout.
void Writer::data(const Item& item)
{
    const std::int32_t off = item.offset;
    const DataKind kind = item.data;
    const int count = item.size;
    const std::string* comment = item.comment;
    std::string values;
    if ((kind == DataKind::Words || kind == DataKind::Addrs) && count % 2 == 0) {
        for (int i = 0; i < count; i += 2) {
            const std::uint32_t word = byte_at(off + i) << 8 | byte_at(off + i + 1);
            const std::string* name = kind == DataKind::Addrs ? name_of(static_cast<std::int32_t>(word)) : nullptr;
            values += (i == 0 ? "" : ",") + (name != nullptr ? *name : hex4(word));
        }
        line("WORD", values, joined("", comment));
        return;
    }
    if (kind == DataKind::Text) {
        unsigned char bytes[kSourceRuns.text];
        const int n = std::min(count, kSourceRuns.text);  // the layout cuts runs to that length
        for (int i = 0; i < n; ++i)
            bytes[i] = static_cast<unsigned char>(byte_at(off + i));
        Line text;
        put_text(text, bytes, n, Quoting::Source);
        values.assign(text.text(), text.size());
        line("TEXT", values, joined("", comment));
        return;
    }
    for (int i = 0; i < count; ++i)
        values += (i == 0 ? "" : ",") + hex2(byte_at(off + i));
    line("BYTE", values, joined("", comment));
}

// Names that no line of the window carries become EQUs: addresses outside the window, inside an
// instruction or outside the image, and the map's register and port names.
void Writer::definitions(const std::vector<Item>& items)
{
    std::vector<bool> labelled(trace_->use.size(), false);  // per offset: a label line of the window
    for (const Item& item : items)
        if (item.kind == Item::Label)
            labelled[static_cast<std::size_t>(item.offset)] = true;
    for (unsigned n = 0; n < 256; ++n) {
        if (const std::string* r = reg_name(n))
            equ(*r, "R" + std::to_string(n));
        if (const std::string* p = port_name(n))
            equ(*p, "P" + std::to_string(n));
    }
    int left_out = 0;
    for (const MapName& label : trace_->labels) {
        const std::int32_t off = sub32(label.address, reloc);
        const bool here = off >= 0 && static_cast<std::size_t>(off) < labelled.size() &&
                          labelled[static_cast<std::size_t>(off)] && names_->at_offset(off) == &label.name;
        if (label.address < 0 || label.address > 0xFFFF)
            ++left_out;
        else if (!here && used_.insert(label.name).second)
            equ(label.name, hex4(static_cast<std::uint32_t>(label.address)));
    }
    if (left_out != 0)
        std::fprintf(stderr, "%d %s outside addresses 0000 to FFFF left out of the source.\n", left_out,
                     left_out == 1 ? "name" : "names");
}

// A label line, with the map's comment for the address.
void Writer::label(const Item& item)
{
    if (item.comment == nullptr) {
        std::fprintf(out_, "%s:\n", item.name->c_str());
        return;
    }
    std::string text = *item.name + ":";
    text.resize(std::max(text.size() + 1, kSourceComment), ' ');
    std::fprintf(out_, "%s; %s\n", text.c_str(), item.comment->c_str());
}

void Writer::write(std::int32_t from, std::int32_t to)
{
    const Layout layout = mapped() ? Layout(*map_, *trace_, *names_, kSourceRuns, limit_) : Layout();
    const std::vector<Item> items = layout.items(from, to);
    if (mapped())
        definitions(items);
    // kodasm assembles the target computer's map unless told otherwise.
    if (active_map() != opcode_map)
        line("CPU", "TMS7000");
    line("ORG", hex4(static_cast<std::uint32_t>(add32(reloc, from))));
    for (const Item& item : items) {
        switch (item.kind) {
        case Item::Label: label(item); break;
        case Item::Instruction: instruction(item.offset, item.comment); break;
        case Item::Data: data(item); break;
        }
    }
}

// The window, from offset `from` up to `to`, within the 16-bit address space.
bool fits_16_bits(std::int32_t from, std::int32_t to)
{
    const long long first = static_cast<long long>(reloc) + from;
    const long long last = static_cast<long long>(reloc) + to - 1;
    if (first >= 0 && last <= 0xFFFF)
        return true;
    std::fputs("Source output needs the image within addresses 0000 to FFFF.\n", stderr);
    return false;
}

int finish(std::FILE* out)
{
    return std::fflush(out) != 0 || std::ferror(out) ? kListingUnwritten : 0;
}

}  // namespace

int write_source(std::FILE* out, std::int32_t nb)
{
    if (!fits_16_bits(a, nb))
        return 1;
    Writer(out, nullptr, nullptr, nullptr).write(a, nb);
    return finish(out);
}

int write_mapped_source(std::FILE* out, std::int32_t nb, const MapOptions& options)
{
    if (!fits_16_bits(a, nb))
        return 1;
    Map map;
    if (!read_map(options.map_file, reloc, loaded_length, map))
        return 1;
    return write_mapped_source(out, nb, map, options);
}

int write_mapped_source(std::FILE* out, std::int32_t nb, const Map& given, const MapOptions& options)
{
    if (!fits_16_bits(a, nb))
        return 1;
    Map map = given;
    Trace trace;
    Findings found;
    if (!trace_with_map(map, options, trace, found))
        return 1;
    const Symbols names(map, trace, reloc);
    Writer(out, &map, &trace, &names).write(a, nb);
    if (const int status = finish(out); status != 0)
        return status;
    summary(trace);
    report_findings(trace, found);
    return 0;
}

}  // namespace koddar
