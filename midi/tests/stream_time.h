// The drift check of the tests: a score compiled by melvox's own compiler, its note stream
// played in time (sections unrolled), and every note's start compared with the time the MIDI
// file gives it.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "converter.h"
#include "note_table.h"
#include "score_compiler.h"

namespace midi_test {

struct StreamNote {
    int code = 0;
    unsigned divisor = 0;
};

// The score through MUSConv, as melvox reads it from a file; the stream's notes in playing
// order. Fails the test if the score does not compile.
inline std::vector<StreamNote> compile_and_unroll(const std::string& score, int type)
{
    static unsigned char* in = static_cast<unsigned char*>(std::malloc(kBufInSize));
    static unsigned char* out = static_cast<unsigned char*>(std::malloc(kBufOutSize));
    bufIN = in;
    bufOUT = out;
    EXPECT_LT(score.size(), static_cast<std::size_t>(kBufInSize));
    std::memset(bufIN, 0, kBufInSize);
    std::memcpy(bufIN, score.data(), std::min(score.size(), static_cast<std::size_t>(kBufInSize - 1)));
    TypeDest = type;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = MUSConv();
    testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 0) << err;
    std::vector<StreamNote> notes;
    std::vector<StreamNote> section;
    int count = 0;
    for (int i = 0; i < LengthOUT - 1;) {
        const unsigned char b = bufOUT[i];
        if (b == 0x80) {
            for (int n = 0; n < count; ++n)
                notes.insert(notes.end(), section.begin(), section.end());
            count = 0;
            ++i;
        } else if (b > 0x80) {
            count = b & 0x7F;
            section.clear();
            ++i;
        } else {
            const StreamNote n{b, static_cast<unsigned>(bufOUT[i + 1] | bufOUT[i + 2] << 8)};
            (count ? section : notes).push_back(n);
            i += 3;
        }
    }
    return notes;
}

// Units of a second of a note code: sixty-sixths in output type 3, periods in type 1.
inline double code_rate(int type, int code)
{
    if (type == 3)
        return 66.0;
    for (int row = 1; row < kNoteRows; ++row)
        if (static_cast<int>(notes_freq[row][0]) == code)
            return static_cast<double>(notes_freq[row][1]);
    return 0;
}

struct Expected {
    int code = 0;      // 1 for a rest
    double start = 0;  // seconds after the first note's start
};

// Every note of the stream starts within one unit of the element before it of its time in
// the MIDI file; the codes are the expected ones; the last ends within a unit of `end`.
inline void expect_no_drift(const std::string& score, int type, const std::vector<Expected>& want, double end,
                            const std::string& name)
{
    const std::vector<StreamNote> got = compile_and_unroll(score, type);
    ASSERT_EQ(got.size(), want.size()) << name;
    double now = 0;
    double unit = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].code, want[i].code) << name << ": element " << i;
        EXPECT_LE(std::fabs(now - want[i].start), unit) << name << ": element " << i;
        const double rate = code_rate(type, got[i].code);
        now += got[i].divisor / rate;
        unit = 1 / rate;
    }
    EXPECT_LE(std::fabs(now - end), unit) << name << ": the end";
}

}  // namespace midi_test
