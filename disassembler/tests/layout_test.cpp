// The layout's cut rules as one case table: the window's end, the end of what may be laid out,
// a label, a comment, code, a range's edge, a call's parameters, even words, a source text
// ending after its 00, and the run lengths of the listing and of source.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder.h"
#include "layout.h"
#include "scoped.h"

using namespace koddar;

namespace {

struct Range {
    std::int32_t start, end;
    DataKind kind;
};

struct Case {
    const char* name;
    const char* uses;  // one letter an offset: d data, p data in a call's parameters, c an
                       // instruction's first byte, m its others; a digit is a data byte of
                       // that value, z a data byte 00
    std::vector<Range> ranges;
    std::vector<std::int32_t> labels;
    std::vector<std::int32_t> comments;
    std::int32_t from, to, end;
    RunLengths runs;
    const char* items;  // L label, I instruction and Dn, Wn, Tn a run of n bytes of each kind
};

constexpr RunLengths kSource{16, 64, true};
constexpr const char* k70Bytes = "dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd";
static_assert(std::char_traits<char>::length(k70Bytes) == 70);

// An image whose instructions have the lengths the letters give (NOP, MOV %n,A, MOV Rn,Rn,
// MOVD %nn,Rn), and its trace.
void build(const char* uses, std::vector<unsigned char>& image, Trace& trace)
{
    const std::string u = uses;
    for (std::size_t i = 0; i < u.size(); ++i) {
        std::size_t more = 0;
        while (u[i] == 'c' && i + more + 1 < u.size() && u[i + more + 1] == 'm')
            ++more;
        const unsigned char opcodes[] = {0x00, 0x22, 0x42, 0x88};
        const bool digit = u[i] >= '0' && u[i] <= '9';
        image.push_back(u[i] == 'c'   ? opcodes[more]
                        : digit       ? static_cast<unsigned char>(u[i] - '0')
                        : u[i] == 'z' ? 0
                                      : 'a');
        trace.use.push_back(u[i] == 'c' ? Use::Code : u[i] == 'm' ? Use::CodeMore : Use::Data);
        trace.params.push_back(u[i] == 'p');
        trace.note.push_back(Note::None);
    }
}

std::string lay_out(const Case& c)
{
    std::vector<unsigned char> image;
    Trace trace;
    build(c.uses, image, trace);
    const ScopedImage scoped(image.data(), static_cast<std::int32_t>(image.size()), 0x1000);
    Map map;
    for (const Range& r : c.ranges)
        map.ranges.push_back({0x1000 + r.start, 0x1000 + r.end, r.kind, 1});
    for (const std::int32_t at : c.labels)
        trace.labels.push_back({0x1000 + at, "L" + std::to_string(at), 0});
    for (const std::int32_t at : c.comments)
        map.comments.push_back({0x1000 + at, "note", 0});
    const Symbols names(map, trace, 0x1000);
    std::string out;
    Layout(map, trace, names, c.runs, c.end).walk(c.from, c.to, [&out](const Item& item) {
        const char kinds[] = {'D', 'W', 'W', 'T'};  // Bytes, Words, Addrs, Text
        if (!out.empty())
            out += ' ';
        if (item.kind == Item::Label)
            out += 'L';
        else if (item.kind == Item::Instruction)
            out += 'I';
        else
            out += kinds[static_cast<int>(item.data)] + std::to_string(item.size);
    });
    return out;
}

}  // namespace

TEST(Layout, CutsDataRunsWhereTheRulesSay)
{
    const Case cases[] = {
        {"four bytes a listing line", "dddddddddd", {}, {}, {}, 0, 10, 10, kListingRuns, "D4 D4 D2"},
        {"sixteen a source line", "dddddddddddddddddddd", {}, {}, {}, 0, 20, 20, kSource, "D16 D4"},
        {"the window's end", "dddddddd", {}, {}, {}, 1, 6, 8, kListingRuns, "D4 D1"},
        {"the end of what may be laid out", "dddddddd", {}, {}, {}, 0, 8, 6, kListingRuns, "D4 D2 D1 D1"},
        {"a label, on a line of its own", "dddddd", {}, {2}, {}, 0, 6, 6, kListingRuns, "D2 L D4"},
        {"a comment", "dddddd", {}, {}, {3}, 0, 6, 6, kListingRuns, "D3 D3"},
        {"code", "ddcmdd", {}, {}, {}, 0, 6, 6, kListingRuns, "D2 I D2"},
        {"a label before an instruction", "cmcmm", {}, {2}, {}, 0, 5, 5, kListingRuns, "I L I"},
        {"no label inside an instruction", "cmmd", {}, {1}, {}, 0, 4, 4, kListingRuns, "I D1"},
        {"a window that starts inside an instruction", "cmmd", {}, {}, {}, 1, 4, 4, kListingRuns, "D2 D1"},
        {"a range's edge", "dddddd", {{2, 3, DataKind::Bytes}}, {}, {}, 0, 6, 6, kListingRuns, "D2 D2 D2"},
        {"words in even runs", "dddddd", {{0, 4, DataKind::Words}}, {}, {}, 0, 6, 6, kListingRuns, "W4 W1 D1"},
        {"addresses as words", "dddd", {{0, 3, DataKind::Addrs}}, {}, {}, 0, 4, 4, kListingRuns, "W4"},
        {"a call's parameters", "ddppdd", {}, {}, {}, 0, 6, 6, kListingRuns, "D2 D2 D2"},
        {"text up to 64 in source", k70Bytes, {{0, 69, DataKind::Text}}, {}, {}, 0, 70, 70, kSource, "T64 T6"},
        {"a source text ends after its 00", "ddzddd", {{0, 5, DataKind::Text}}, {}, {}, 0, 6, 6, kSource, "T3 T3"},
        {"a listing text keeps going past a 00",
         "dzdddd",
         {{0, 5, DataKind::Text}},
         {},
         {},
         0,
         6,
         6,
         kListingRuns,
         "T4 T2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lay_out(c), c.items) << c.name;
}
