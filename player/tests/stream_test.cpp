// The checker: every fault class with its offset and message, and what a sound stream gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "notes.h"
#include "stream.h"

namespace melplay {
namespace {

std::vector<unsigned char> bytes(std::initializer_list<int> list)
{
    std::vector<unsigned char> v;
    for (int b : list)
        v.push_back(static_cast<unsigned char>(b));
    return v;
}

struct FaultCase {
    const char* name;
    std::vector<unsigned char> stream;
    std::string message;
};

TEST(CheckStream, EachFaultStopsAtItsOffsetWithItsMessage)
{
    const FaultCase cases[] = {
        {"empty file", {}, "Empty note stream.\n"},
        {"first invalid code", bytes({0x60, 1, 0, 0}),
         "Offset 0: note code 0x60, expected 1 to 95 or a section byte.\n"},
        {"last invalid code after a note", bytes({0x30, 0x21, 0x00, 0x7F, 0x00}),
         "Offset 3: note code 0x7F, expected 1 to 95 or a section byte.\n"},
        {"divisor 0", bytes({0x30, 0x21, 0x00, 0x30, 0x00, 0x00, 0x00}), "Offset 4: divisor 0, expected 1 to 65535.\n"},
        {"section start inside a section", bytes({0x82, 0x30, 1, 0, 0x83, 0x80, 0x00}),
         "Offset 4: section start inside a section.\n"},
        {"section end outside a section", bytes({0x82, 0x80, 0x80, 0x00}),
         "Offset 2: section end outside a section.\n"},
        {"open at the terminator", bytes({0x01, 0x01, 0x00, 0xFF, 0x01, 0x01, 0x00, 0x00}),
         "Offset 7: section still open at the terminator.\n"},
        {"note cut after its code", bytes({0x30}), "Offset 0: note event cut short, expected 3 bytes.\n"},
        {"note cut after one divisor byte", bytes({0x30, 0x21, 0x00, 0x30, 0x21}),
         "Offset 3: note event cut short, expected 3 bytes.\n"},
        {"no terminator", bytes({0x30, 0x21, 0x00}), "Offset 3: missing final 0x00.\n"},
        {"no terminator inside a section", bytes({0x82, 0x30, 0x21, 0x00}), "Offset 4: missing final 0x00.\n"},
        {"bytes after the terminator", bytes({0x30, 0x21, 0x00, 0x00, 0x00}),
         "Offset 4: bytes after the final 0x00.\n"},
        // The divisor bytes may hold any value, 0x00 and 0x80 included: read in order.
        {"divisor bytes are not elements", bytes({0x30, 0x00, 0x80, 0x30, 0x80, 0x00, 0x60}),
         "Offset 6: note code 0x60, expected 1 to 95 or a section byte.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Stream s;
        Check check = check_stream(c.stream, s);
        EXPECT_NE(check.fault, Fault::None);
        EXPECT_EQ(fault_message(check), c.message);
    }
}

struct GoodCase {
    const char* name;
    std::vector<unsigned char> stream;
    std::vector<Element> elements;
};

TEST(CheckStream, SoundStreamsGiveTheirElements)
{
    const GoodCase cases[] = {
        {"lone terminator", bytes({0x00}), {}},
        {"lowest and highest codes, divisor edges",
         bytes({0x01, 0x01, 0x00, 0x5F, 0xFF, 0xFF, 0x00}),
         {{0, Kind::Note, 1, 1, 0}, {3, Kind::Note, 95, 65535, 0}}},
        {"empty section of 127",
         bytes({0xFF, 0x80, 0x00}),
         {{0, Kind::SectionStart, 0, 0, 127}, {1, Kind::SectionEnd, 0, 0, 0}}},
        {"the worked example",
         bytes({0x30, 0x21, 0x00, 0x82, 0x32, 0x11, 0x00, 0x01, 0x09, 0x00, 0x80, 0x00}),
         {{0, Kind::Note, 48, 33, 0},
          {3, Kind::SectionStart, 0, 0, 2},
          {4, Kind::Note, 50, 17, 0},
          {7, Kind::Note, 1, 9, 0},
          {10, Kind::SectionEnd, 0, 0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Stream s;
        Check check = check_stream(c.stream, s);
        ASSERT_EQ(check.fault, Fault::None) << fault_message(check);
        EXPECT_EQ(s.size, c.stream.size());
        ASSERT_EQ(s.elements.size(), c.elements.size());
        std::size_t notes = 0;
        for (std::size_t i = 0; i < c.elements.size(); ++i) {
            const Element &got = s.elements[i], &want = c.elements[i];
            EXPECT_EQ(got.offset, want.offset) << i;
            EXPECT_EQ(got.kind, want.kind) << i;
            EXPECT_EQ(got.code, want.code) << i;
            EXPECT_EQ(got.divisor, want.divisor) << i;
            EXPECT_EQ(got.count, want.count) << i;
            notes += want.kind == Kind::Note;
        }
        EXPECT_EQ(s.note_events, notes);
    }
}

TEST(CheckStream, EveryByteValueAsTheFirstElement)
{
    // Each byte followed by 01 01 00: codes 1..0x5F are notes of divisor 257 and the stream
    // ends; 0x60..0x7F are refused; 0x80 is an end outside a section; 0x81.. opens one,
    // and the note 01 01 00 after it leaves no terminator.
    for (int b = 1; b < 256; ++b) {
        Stream s;
        Check c = check_stream(bytes({b, 0x01, 0x01, 0x00}), s);
        SCOPED_TRACE(b);
        Fault want = b <= 0x5F   ? Fault::None
                     : b < 0x80  ? Fault::BadCode
                     : b == 0x80 ? Fault::EndOutside
                                 : Fault::NoTerminator;
        EXPECT_EQ(c.fault, want);
    }
}

struct NameCase {
    const char* name;
    int code;
    float freq;
};

TEST(Notes, FirstNameOfEachCodeAndItsFrequency)
{
    const NameCase cases[] = {
        {"REST", 1, 100.0f},    {"D0", 2, 37.5f},      {"B0", 11, 61.7487f},
        {"C1", 12, 65.4592f},   {"A3", 45, 439.485f},  {"C#4", 49, 553.5135f},
        {"D#4", 51, 621.8623f}, {"E4", 52, 659.2275f}, {"B7", 95, 7876.9233f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        ASSERT_NE(note_name(c.code), nullptr);
        EXPECT_STREQ(note_name(c.code), c.name);
        EXPECT_EQ(note_frequency(c.code), c.freq);
    }
    for (int code : {0, 96, 127})
        EXPECT_EQ(note_name(code), nullptr) << code;
    for (int code = kFirstCode; code <= kLastCode; ++code)
        EXPECT_NE(note_name(code), nullptr) << code;
}

}  // namespace
}  // namespace melplay
