// Score compiler: whole compilations with their echo.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "converter.h"
#include "score_compiler.h"

namespace {

// Runs the score compiler on a text in fresh buffers and collects what it produced.
struct Compiled {
    int ret = -1;
    std::string stream;  // the LengthOUT bytes of bufOUT, as "30 21 00"
    std::string out;
    std::string err;
    bool guard_intact = true;  // nothing written past the 32000 bytes of bufOUT
};

std::string hex_bytes(const unsigned char* p, int n)
{
    std::string s;
    char b[4];
    for (int i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", p[i]);
        s += b;
    }
    return s;
}

Compiled compile_text(const std::string& text, int type)
{
    constexpr int kGuard = 64;
    std::vector<unsigned char> in(kBufInSize, 0);
    std::vector<unsigned char> out(kBufOutSize + kGuard, 0xEE);
    std::memcpy(in.data(), text.data(), text.size() < kBufInSize ? text.size() : kBufInSize - 1);
    bufIN = in.data();
    bufOUT = out.data();
    TypeDest = type;
    Compiled c;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    c.ret = MUSConv();
    std::fflush(stdout);
    c.out = testing::internal::GetCapturedStdout();
    c.err = testing::internal::GetCapturedStderr();
    c.stream = hex_bytes(out.data(), LengthOUT);
    for (std::size_t i = kBufOutSize; i < out.size(); ++i)  // the guard past the buffer
        c.guard_intact = c.guard_intact && out[i] == 0xEE;
    bufIN = nullptr;
    bufOUT = nullptr;
    return c;
}

struct CompileRow {
    const char* what;
    int type;
    std::string text;
    int ret;
    const char* stream;
    const char* out;
    const char* err;
};

const char kNote[] = "ERROR: Not a correct note.\n";
const char kStructure[] = "ERROR: Not a correct REPEAT ... END struture.\n";
const char kDuration[] = "ERROR: Not a correct note duration.\n";
const char kTooLong[] = "ERROR: Note duration too long.\n";

void check_rows(const CompileRow* rows, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        const CompileRow& r = rows[i];
        SCOPED_TRACE(r.what);
        Compiled c = compile_text(r.text, r.type);
        EXPECT_EQ(c.ret, r.ret);
        EXPECT_EQ(c.stream, r.stream);
        EXPECT_EQ(c.out, r.out);
        EXPECT_EQ(c.err, r.err);
    }
}

TEST(MUSConv, CompilesScores)
{
    // clang-format off
    const CompileRow rows[] = {
        {"worked example, type 3", 3, "120 C4 1 REPEAT 2 D4 0.5 REST 0.25 END", 0,
         "30 21 00 82 32 11 00 01 09 00 80 00",
         "C4,1.000000\nREPEAT x2\n\tD4,0.500000\n\tREST,0.250000\nEND\n", ""},
        {"worked example, type 1", 1, "120 C4 1 REPEAT 2 D4 0.5 REST 0.25 END", 0,
         "30 06 01 82 32 93 00 01 0D 00 80 00",
         "C4,1.000000\nREPEAT x2\n\tD4,0.500000\n\tREST,0.250000\nEND\n", ""},
        {"every delimiter but space", 3, "120\r\nC4,1;D4:2!E4-1\fF4\t1\n", 0,
         "30 21 00 32 42 00 34 21 00 35 21 00 00",
         "C4,1.000000\nD4,2.000000\nE4,1.000000\nF4,1.000000\n", ""},
        {"zero byte ends the text", 3, std::string("120 C4 1\0 D4 1", 14), 0, "30 21 00 00",
         "C4,1.000000\n", ""},
        {"tempo with a suffix", 3, "120bpm C4 1", 0, "30 21 00 00", "C4,1.000000\n", ""},
        {"tempo with a plus", 3, "+120 C4 1", 0, "30 21 00 00", "C4,1.000000\n", ""},
        {"tempo saturated, not wrapped", 3, "4294967416 C4 1", 0, "30 01 00 00",
         "C4,1.000000\n", ""},
        {"vertical tab before a duration is white space", 3, "120 C4 \v1", 0, "30 21 00 00",
         "C4,1.000000\n", ""},
        {"hex float duration", 3, "120 C4 0x1.8p1", 0, "30 63 00 00", "C4,3.000000\n", ""},
        {"duration forms", 3, "120 C4 .5 C4 2. C4 1e+3 C4 1/4", 0,
         "30 11 00 30 42 00 30 E8 80 30 21 00 00",
         "C4,0.500000\nC4,2.000000\nC4,1000.000000\nC4,1.000000\n", ""},
        {"echo shows the float", 3, "2147483647 C4 0.1 C4 1234567.1", 0,
         "30 01 00 30 03 00 00", "C4,0.100000\nC4,1234567.125000\n", ""},
        {"REST and B7 code bytes", 1, "120 REST 0.3 B7 1", 0, "01 10 00 5F 63 0F 00",
         "REST,0.300000\nB7,1.000000\n", ""},
        {"duration read via double", 3, "1 REST 1.0000000596046448", 0, "01 78 0F 00",
         "REST,1.000000\n", ""},
        {"longest note", 3, "1 C4 16.549", 0, "30 FF FF 00", "C4,16.549000\n", ""},
        {"smallest duration", 3, "120 C4 0.0000000000000000000000000000000000000000000008", 0,
         "30 01 00 00", "C4,0.000000\n", ""},
        {"empty section, then another", 3, "120 REPEAT 2 END REPEAT 127 END", 0,
         "82 80 FF 80 00", "REPEAT x2\nEND\nREPEAT x127\nEND\n", ""},
    };
    // clang-format on
    check_rows(rows, std::size(rows));
}

TEST(MUSConv, EmptyStreams)
{
    // clang-format off
    const CompileRow rows[] = {
        {"no text", 1, "", 0, "", "", ""},
        {"only delimiters", 1, " ,;:!-\t\r\n\f", 0, "", "", ""},
        {"no tempo", 1, "C4 1", 0, "", "", ""},
        {"tempo 0", 1, "0 C4 1", 0, "", "", ""},
        {"byte-order mark", 1, "\xEF\xBB\xBF" "120 C4 1", 0, "", "", ""},
        {"tempo and nothing else", 1, "120", 0, "00", "", ""},
    };
    // clang-format on
    check_rows(rows, std::size(rows));
}

TEST(MUSConv, ReportsScoreErrors)
{
    // clang-format off
    const CompileRow rows[] = {
        {"lower-case note", 1, "120 C4 1 c4 1", 1, "", "C4,1.000000\nc4\n", kNote},
        {"vertical tab is part of a token", 1, "120 C4\v 1", 1, "", "C4\v\n", kNote},
        {"negative exponent splits", 1, "120 C4 1e-3", 1, "", "C4,1.000000\n3\n", kNote},
        {"decimal comma splits", 1, "120 C4 1,5", 1, "", "C4,1.000000\n5\n", kNote},
        {"text ends inside a section", 3, "120 REPEAT 2 C4 1", 1, "",
         "REPEAT x2\n\tC4,1.000000\n", kNote},
        {"END outside a section", 1, "120 C4 1 END", 1, "", "C4,1.000000\n", kStructure},
        {"nested REPEAT", 1, "120 REPEAT 1 REPEAT 2", 1, "", "REPEAT x1\n", kStructure},
        {"REPEAT last", 1, "120 REPEAT", 1, "", "", kStructure},
        {"count 0", 1, "120 REPEAT 0 END", 1, "", "", kStructure},
        {"count 128", 1, "120 REPEAT 128 END", 1, "", "", kStructure},
        {"count without digits", 1, "120 REPEAT x2 END", 1, "", "", kStructure},
        {"count saturated, not wrapped", 1, "120 REPEAT 4294967298 END", 1, "", "", kStructure},
        {"note last", 1, "120 C4", 1, "", "", kDuration},
        {"note then note", 1, "120 C4 D4 1", 1, "", "", kDuration},
        {"note then END", 1, "120 REPEAT 2 C4 END", 1, "", "REPEAT x2\n", kDuration},
        {"zero duration", 1, "120 C4 0.000", 1, "", "", kDuration},
        {"duration too small for a float", 1,
         "120 C4 0.0000000000000000000000000000000000000000000007", 1, "", "", kDuration},
        {"inf", 1, "120 C4 inf", 1, "", "", kTooLong},
        {"infinity", 3, "120 C4 Infinity", 1, "", "", kTooLong},
        {"nan", 3, "120 C4 nan", 1, "", "", kTooLong},
        {"past the largest float", 3, "120 C4 1e39", 1, "", "", kTooLong},
        {"one past the longest note", 3, "1 C4 16.55", 1, "", "", kTooLong},
    };
    // clang-format on
    check_rows(rows, std::size(rows));
}

TEST(MUSConv, StartsEachCompilationOutsideASection)
{
    ASSERT_EQ(compile_text("120 REPEAT 2 C4", 3).ret, 1);
    Compiled c = compile_text("120 C4 1", 3);
    EXPECT_EQ(c.ret, 0);
    EXPECT_EQ(c.stream, "30 21 00 00");
    EXPECT_EQ(c.out, "C4,1.000000\n");
}

std::string notes(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += " D0 1";
    return s;
}

// 10666 note events take 31998 bytes; the terminator and any section bytes must
// still fit within the 32000 bytes of bufOUT.
TEST(MUSConv, RefusesAStreamPastTheBuffer)
{
    // clang-format off
    const struct {
        const char* what;
        std::string text;
        int ret;
        int length;
        const char* last_out;
    } rows[] = {
        {"fits with the terminator", "120" + notes(10666), 0, 31999, "D0,1.000000\n"},
        {"note past the end", "120" + notes(10667), 1, 0, "D0,1.000000\n"},
        {"terminator past the end", "120" + notes(10666) + " REPEAT 2 END", 1, 0, "END\n"},
        {"section start past the end", "120" + notes(10666) + " REPEAT 2 END REPEAT 2 END", 1,
         0, "END\n"},
        {"section end past the end", "120" + notes(10665) + " REPEAT 2 END REPEAT 2 END REPEAT 2 END",
         1, 0, "REPEAT x2\n"},
    };
    // clang-format on
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Compiled c = compile_text(r.text, 3);
        EXPECT_EQ(c.ret, r.ret);
        EXPECT_EQ(static_cast<int>(c.stream.size() + 1) / 3, r.length);
        EXPECT_TRUE(c.guard_intact);
        EXPECT_EQ(c.err, r.ret ? "ERROR: Note stream too long.\n" : "");
        std::string last = r.last_out;
        ASSERT_GE(c.out.size(), last.size());
        EXPECT_EQ(c.out.substr(c.out.size() - last.size()), last);
    }
}

}  // namespace
