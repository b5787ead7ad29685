// The tracer's and the analysis's shortcuts against the plain rules they stand for: the opcodes
// the tracer takes on without reading their flow, the radix sort of the references against a
// comparison sort, and the claims read eight bytes at a time against a byte-by-byte reading.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "claims.h"
#include "instructions.h"
#include "tracer.h"

namespace {

using koddar::Flow;
using koddar::Ref;

bool empty_flow(const Flow& f)
{
    return !f.ends && f.targets == 0 && !f.reads && !f.call && f.note == koddar::Note::None;
}

// Every opcode the tracer takes on without its flow has an empty flow whatever its operands and
// wherever the image lies; every other opcode has something in its flow for some operands.
TEST(TracerShortcut, OpcodesLeftAloneHaveNoFlow)
{
    const unsigned operands[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
    const std::int32_t relocations[] = {0x0000, 0xF000, 0xFFFE, 0x12345};
    for (unsigned opcode = 0; opcode < 256; ++opcode) {
        bool any = false;
        for (const unsigned b : operands)
            for (const std::int32_t reloc : relocations) {
                const unsigned char image[] = {static_cast<unsigned char>(opcode), static_cast<unsigned char>(b),
                                               static_cast<unsigned char>(b ^ 0x55), static_cast<unsigned char>(b)};
                const bool none = empty_flow(koddar::flow_at(image, sizeof image, reloc, 0));
                if (koddar::flow_left_alone[opcode]) {
                    EXPECT_TRUE(none) << "opcode " << opcode << ", operand " << b << ", at " << reloc;
                }
                any = any || !none;
            }
        EXPECT_EQ(!koddar::flow_left_alone[opcode], any) << "opcode " << opcode;
    }
}

std::vector<Ref> sorted_plainly(std::vector<Ref> refs)
{
    std::sort(refs.begin(), refs.end(),
              [](const Ref& x, const Ref& y) { return x.target != y.target ? x.target < y.target : x.from < y.from; });
    return refs;
}

bool same(const std::vector<Ref>& x, const std::vector<Ref>& y)
{
    return std::equal(x.begin(), x.end(), y.begin(), y.end(),
                      [](const Ref& a, const Ref& b) { return a.target == b.target && a.from == b.from; });
}

// Sets of references as the trace makes them (16-bit addresses, nearly in order, repeated) and
// as it may (negative offsets, 32-bit addresses, every byte different, all alike).
TEST(TracerShortcut, RadixSortOfReferencesEqualsComparisonSort)
{
    std::mt19937 random(21);
    struct Shape {
        const char* name;
        std::size_t count;
        std::int32_t low;
        std::int32_t high;
    };
    const Shape shapes[] = {
        {"none", 0, 0, 0},
        {"one", 1, -5, 5},
        {"16-bit", 5000, 0, 0xFFFF},
        {"few values", 3000, 0xF000, 0xF003},
        {"signed", 2000, -0x7FFFFFFF - 1, 0x7FFFFFFF},
        {"around zero", 2000, -300, 300},
        {"all alike", 100, 0x1234, 0x1234},
    };
    for (const Shape& s : shapes) {
        std::uniform_int_distribution<std::int32_t> value(s.low, s.high);
        std::vector<Ref> refs;
        for (std::size_t i = 0; i < s.count; ++i)
            refs.push_back({value(random), value(random)});
        if (s.count > 10)
            refs.push_back(refs[s.count / 2]);  // a pair twice
        const std::vector<Ref> expected = sorted_plainly(refs);
        koddar::sort_refs(refs);
        EXPECT_TRUE(same(refs, expected)) << s.name;
    }
}

// Traces of every length up to three words and a half, each byte Data, Code or CodeMore at
// random, some with ranges and entry points over them: each offset is free exactly when its
// byte is Data and no range or entry claims it, and next_free finds the first such offset.
TEST(TracerShortcut, ClaimsReadEightBytesAtATimeAsByteByByte)
{
    std::mt19937 random(8);
    const koddar::Use uses[] = {koddar::Use::Data, koddar::Use::Code, koddar::Use::CodeMore};
    for (std::int32_t length = 0; length <= 28; ++length)
        for (const int data_in : {0, 1, 3, 10}) {  // out of 10: how many bytes are data
            koddar::Trace trace;
            for (std::int32_t i = 0; i < length; ++i)
                trace.use.push_back(static_cast<int>(random() % 10) < data_in ? uses[0] : uses[1 + random() % 2]);
            koddar::Map map;
            std::vector<bool> taken(static_cast<std::size_t>(length));
            if (length > 12) {
                map.ranges.push_back({0x100 + 9, 0x100 + 11, koddar::DataKind::Bytes, 1});
                map.entries.push_back({0x100 + length - 1, 2});
                taken[9] = taken[10] = taken[11] = taken[static_cast<std::size_t>(length - 1)] = true;
            }
            const koddar::Claims claims(map, trace, 0x100);
            for (std::int32_t off = 0; off < length; ++off) {
                const auto i = static_cast<std::size_t>(off);
                const bool free = trace.use[i] == koddar::Use::Data && !taken[i];
                EXPECT_EQ(free, claims.free(off)) << "length " << length << ", offset " << off;
                std::int32_t next = off;
                while (next < length && !claims.free(next))
                    ++next;
                EXPECT_EQ(next, claims.next_free(off)) << "length " << length << ", offset " << off;
            }
            EXPECT_FALSE(claims.free(length));
            EXPECT_FALSE(claims.free(-1));
        }
}

}  // namespace
