// The listing has fixed columns, 24 characters before the source text so that the source's tabs
// keep their stops:
//   AAAA BB BB BB BB DLLLLLM text
// the address (blank for a line without one), up to four bytes, the include depth (blank in the
// main source), the line number, and '+' on a line a macro or REPT made. A line of more bytes
// continues on rows of their own, up to kRows rows; the rest is told in one row ("... n more
// bytes to AAAA") rather than listed, so that a DS-sized BINCLUDE stays readable. A row
// "---- name" opens the lines of each file as the listing enters it.
#include "listing.h"

#include <algorithm>
#include <cstdio>

#include "hex_text.h"

namespace kodasm {

namespace {

constexpr long kRowBytes = 4;
constexpr long kRows = 4;
constexpr int kDeepest = 9;  // deeper includes show 9
constexpr std::size_t kUsesPerRow = 6;
constexpr int kNameWidth = 16;

// Ends a row without the blanks at its end.
void end_row(std::string& out)
{
    const std::size_t end = out.find_last_not_of(' ');
    out.resize(end == std::string::npos ? 0 : end + 1);
    out += '\n';
}

// The row's address and bytes columns: 16 characters and a blank.
std::string byte_columns(const Assembly& assembly, long address, long count)
{
    std::string out = address < 0 ? std::string(4, ' ') : hex4(address);
    const long first = address - static_cast<long>(assembly.origin);
    for (long i = 0; i < kRowBytes; ++i)
        out += i < count ? " " + hex2(assembly.bytes[static_cast<std::size_t>(first + i)]) : "   ";
    return out + ' ';
}

void list_line(const Assembly& assembly, const Listed& l, std::string& out)
{
    const long first = std::min(l.count, kRowBytes);
    out += byte_columns(assembly, l.address, first);
    out += l.depth == 0 ? ' ' : static_cast<char>('0' + std::min(l.depth, kDeepest));
    char number[16];
    std::snprintf(number, sizeof number, "%5d", l.line);
    out += number;
    out += l.expansion ? '+' : ' ';
    out += l.text;
    end_row(out);
    long done = first;
    for (long row = 1; row < kRows && done < l.count; ++row) {
        const long n = std::min(l.count - done, kRowBytes);
        out += byte_columns(assembly, l.address + done, n);
        end_row(out);
        done += n;
    }
    if (done < l.count)
        out += hex4(l.address + done) + " ... " + std::to_string(l.count - done) + " more bytes to " +
               hex4(l.address + l.count - 1) + "\n";
}

const char* kind_word(Symbol::Kind kind)
{
    switch (kind) {
    case Symbol::Kind::Label: return "label";
    case Symbol::Kind::Register: return "reg";
    case Symbol::Kind::Port: return "port";
    case Symbol::Kind::Number: break;
    }
    return "equ";
}

// NAME (padded to kNameWidth), value, kind, then "file:line" of each use, kUsesPerRow a row.
void list_symbol(const Assembly& assembly, const Symbol& s, std::string& out)
{
    std::string row = s.name;
    row.resize(std::max<std::size_t>(row.size() + 1, kNameWidth), ' ');
    row += s.value >= 0 && s.value <= 0xFFFF ? hex4(s.value) : std::to_string(s.value);
    row += ' ';
    row += kind_word(s.kind);
    const std::size_t indent = row.size();
    for (std::size_t i = 0; i < s.uses.size(); ++i) {
        if (i > 0 && i % kUsesPerRow == 0) {
            out += row + '\n';
            row = std::string(indent, ' ');
        }
        row += ' ' + assembly.files[static_cast<std::size_t>(s.uses[i].first)] + ':' + std::to_string(s.uses[i].second);
    }
    out += row + '\n';
}

}  // namespace

std::string listing(const Assembly& assembly)
{
    std::string out;
    int file = -1;
    for (const Listed& l : assembly.listed) {
        if (l.file != file)
            out += "---- " + assembly.files[static_cast<std::size_t>(l.file)] + "\n";
        file = l.file;
        list_line(assembly, l, out);
    }
    out += "\nSymbols:\n";
    for (const Symbol& s : assembly.symbols)
        list_symbol(assembly, s, out);
    return out;
}

}  // namespace kodasm
