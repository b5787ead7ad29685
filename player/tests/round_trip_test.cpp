// Decompiling: the score text compiles back, through the converter's own MUSConv, to the
// same bytes in the same output type; on the examples and on many generated streams.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <glob.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "converter.h"
#include "notes.h"
#include "numbers.h"
#include "run_program.h"
#include "score_compiler.h"
#include "score_writer.h"
#include "stream.h"

namespace melplay {
namespace {

using Bytes = std::vector<unsigned char>;

// The converter's echo goes to /dev/null while it compiles.
class QuietStdout {
public:
    QuietStdout()
    {
        std::fflush(stdout);
        saved_ = dup(1);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        dup2(saved_, 1);
        close(saved_);
    }

private:
    int saved_;
};

// The stream melvox makes of `text`, or {} after an error.
Bytes compile(const std::string& text, int type)
{
    Bytes out;
    if (text.size() >= static_cast<std::size_t>(kBufInSize) || init() != 0) {
        end();
        return out;
    }
    // init cleared bufIN, so the text ends with a zero byte.
    std::copy(text.begin(), text.end(), bufIN);
    TypeDest = type;
    if (MUSConv() == 0)
        out.assign(bufOUT, bufOUT + LengthOUT);
    end();
    return out;
}

// The failures of one batch, gathered while stdout is quiet and reported afterwards.
std::vector<std::string> round_trip_failures(const std::vector<Bytes>& streams, int type)
{
    std::vector<std::string> failures;
    QuietStdout quiet;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        Stream s;
        Check c = check_stream(streams[i], s);
        std::string text, error;
        const std::string name = "stream " + std::to_string(i) + " type " + std::to_string(type);
        auto fail = [&](const std::string& why) { failures.push_back(name + why); };
        if (c.fault != Fault::None) {
            fail(": " + fault_message(c));
        } else if (!score_text(s, type, text, error)) {
            fail(": " + error);
        } else if (compile(text, type) != streams[i]) {
            fail(" differs; score:\n" + text);
        }
    }
    return failures;
}

Bytes random_stream(std::mt19937& rng)
{
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    Bytes b;
    bool inside = false;
    int elements = pick(0, 40);
    for (int i = 0; i < elements; ++i) {
        int what = pick(0, 9);
        if (what == 0 && !inside) {
            b.push_back(static_cast<unsigned char>(0x80 | pick(1, 127)));
            inside = true;
            if (pick(0, 3) == 0) {  // an empty section
                b.push_back(0x80);
                inside = false;
            }
        } else if (what == 1 && inside) {
            b.push_back(0x80);
            inside = false;
        } else {
            int divisor;
            switch (pick(0, 5)) {
            case 0: divisor = 1; break;
            case 1: divisor = 65535; break;
            case 2: divisor = pick(2, 40); break;
            default: divisor = pick(1, 65535); break;
            }
            b.push_back(static_cast<unsigned char>(pick(1, 95)));
            b.push_back(static_cast<unsigned char>(divisor & 0xFF));
            b.push_back(static_cast<unsigned char>(divisor >> 8));
        }
    }
    if (inside)
        b.push_back(0x80);
    b.push_back(0x00);
    return b;
}

TEST(RoundTrip, GeneratedStreamsInBothTypes)
{
    std::mt19937 rng(20261208);
    std::vector<Bytes> streams;
    streams.reserve(301);
    for (int i = 0; i < 300; ++i)
        streams.push_back(random_stream(rng));
    streams.push_back({0x00});
    for (int type : {1, 3}) {
        SCOPED_TRACE(type);
        std::vector<std::string> failures = round_trip_failures(streams, type);
        EXPECT_TRUE(failures.empty()) << failures.size() << " failed, first: " << failures.front();
    }
}

TEST(RoundTrip, EveryExampleStream)
{
    glob_t g{};
    std::vector<Bytes> streams;
    if (glob(EXAMPLES_DIR "/*.bin", 0, nullptr, &g) == 0) {
        for (std::size_t i = 0; i < g.gl_pathc; ++i) {
            std::string path = g.gl_pathv[i];
            std::string bytes = read_file(path);
            Bytes b(bytes.begin(), bytes.end());
            Stream s;
            bool sound = check_stream(b, s).fault == Fault::None;
            // A .bin beside a .txt score is a note stream; others (code images) may not be.
            std::string score = path.substr(0, path.size() - 4) + ".txt";
            if (access(score.c_str(), F_OK) == 0) {
                EXPECT_TRUE(sound) << path;
            }
            if (sound)
                streams.push_back(b);
        }
    }
    globfree(&g);
    ASSERT_FALSE(streams.empty());
    for (int type : {1, 3}) {
        std::vector<std::string> failures = round_trip_failures(streams, type);
        EXPECT_TRUE(failures.empty()) << failures.front();
    }
}

TEST(RoundTrip, Type1DurationGivesEveryDivisorOfTheExtremeNotes)
{
    // REST (100 Hz), the lowest and the highest pitch, and A3: all 65535 divisors each.
    for (int code : {1, 2, 45, 95}) {
        SCOPED_TRACE(note_name(code));
        const float f = note_frequency(code);
        int wrong = 0;
        for (unsigned divisor = 1; divisor <= 65535; ++divisor) {
            float d = type1_duration(code, divisor);
            if (compute_diviseur(1, f, d, kType1Tempo) != static_cast<int>(divisor) ||
                static_cast<float>(std::strtod(shortest_fixed(d).c_str(), nullptr)) != d)
                ++wrong;
        }
        EXPECT_EQ(wrong, 0);
    }
}

struct FixedCase {
    float value;
    const char* text;
};

TEST(RoundTrip, ShortestFixedNotation)
{
    const FixedCase cases[] = {
        {1.0f, "1"},
        {0.5f, "0.5"},
        {0.1f, "0.1"},
        {0.13f, "0.13"},
        {65535.0f, "65535"},
        {0.0001f, "0.0001"},
        {1234567.1f, "1234567.1"},
        {1.0f / 7876.9233f, "0.00012695312"},  // never an exponent: a '-' splits a token
        {1e-30f, "0.000000000000000000000000000001"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shortest_fixed(c.value), c.text) << c.value;
}

TEST(RoundTrip, ScoreTextLayout)
{
    const Bytes worked = {0x30, 0x06, 0x01, 0x82, 0x32, 0x93, 0x00, 0x01, 0x0D, 0x00, 0x80, 0x00};
    Stream s;
    ASSERT_EQ(check_stream(worked, s).fault, Fault::None);
    std::string text, error;
    ASSERT_TRUE(score_text(s, 1, text, error));
    EXPECT_EQ(text, "60\nC4 0.50148433\nREPEAT 2\n  D4 0.25074217\n  REST 0.13\nEND\n");
    ASSERT_TRUE(score_text(s, 3, text, error));
    EXPECT_EQ(text, "3960\nC4 262\nREPEAT 2\n  D4 147\n  REST 13\nEND\n");
    ASSERT_EQ(check_stream({0x00}, s).fault, Fault::None);
    ASSERT_TRUE(score_text(s, 1, text, error));
    EXPECT_EQ(text, "60\n");
}

}  // namespace
}  // namespace melplay
