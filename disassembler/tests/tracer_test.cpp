// The tracer's shortcuts against the plain rules they stand for: the opcodes it takes on
// without reading their flow, and the radix sort of the references against a comparison sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

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

}  // namespace
