// Decompiling: the score text compiles back, through the converter's own MUSConv, to the
// same bytes in the same output type; on the examples, on many generated streams and on
// generated scores, whose tempo and beats it finds again.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <glob.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
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

TEST(RoundTrip, ScoreTextLayout)
{
    const Bytes worked = {0x30, 0x06, 0x01, 0x82, 0x32, 0x93, 0x00, 0x01, 0x0D, 0x00, 0x80, 0x00};
    Stream s;
    ASSERT_EQ(check_stream(worked, s).fault, Fault::None);
    std::string text, error;
    ASSERT_TRUE(score_text(s, 1, text, error));
    EXPECT_EQ(text, "120\nC4 1\nREPEAT 2\n  D4 0.5\n  REST 0.25\nEND\n");
    const Bytes worked3 = {0x30, 0x21, 0x00, 0x82, 0x32, 0x11, 0x00, 0x01, 0x09, 0x00, 0x80, 0x00};
    ASSERT_EQ(check_stream(worked3, s).fault, Fault::None);
    ASSERT_TRUE(score_text(s, 3, text, error));
    EXPECT_EQ(text, "120\nC4 1\nREPEAT 2\n  D4 0.5\n  REST 0.25\nEND\n");
    ASSERT_EQ(check_stream({0x00}, s).fault, Fault::None);
    ASSERT_TRUE(score_text(s, 1, text, error));
    EXPECT_EQ(text, "120\n");
}

// Scores as musicians write them: a tempo, and durations of whole, dotted and tied beats,
// halves, quarters, eighths and triplets, most of them one beat. Compiled, then decompiled:
// the same bytes, and a tempo within 5% of the written one (or of its double or half), most
// often the same.
struct Score {
    std::string text;
    int tempo;
};

Score musical_score(std::mt19937& rng)
{
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    static const char* const kDurations[] = {"1", "2", "0.5", "0.25", "1.5", "3", "4", "0.75", "0.125", "0.33333334"};
    Score score;
    score.tempo = pick(50, 200);
    score.text = std::to_string(score.tempo) + "\n";
    const int notes = pick(1, 60);
    // A piece keeps to a few note values, most of them the beat's.
    const int values = pick(1, 4);
    for (int i = 0; i < notes; ++i) {
        const char* d = kDurations[pick(0, 2) == 0 ? pick(0, values) : 0];
        const bool rest = pick(0, 9) == 0;
        score.text += rest ? "REST" : note_name(pick(2, 95));
        score.text += std::string(" ") + d + "\n";
    }
    return score;
}

// Type 3 rounds to 1/66 s, so a few neighbouring tempos give the same bytes; and when two note
// values are as frequent, the bytes cannot tell which one is the beat.
bool near_the_music(int chosen, int written)
{
    for (double beat : {0.5, 1.0, 2.0}) {
        if (std::fabs(chosen - written * beat) * 20 <= written * beat)
            return true;
    }
    return false;
}

TEST(RoundTrip, MusicalScoresReadBackInBeatsNearTheirTempo)
{
    std::mt19937 rng(20261209);
    for (int type : {1, 3}) {
        SCOPED_TRACE(type);
        int exact = 0, scores = 0;
        std::vector<std::string> failures;
        auto quiet = std::make_unique<QuietStdout>();
        for (int i = 0; i < 200; ++i, ++scores) {
            const Score score = musical_score(rng);
            const Bytes bytes = compile(score.text, type);
            Stream s;
            std::string text, error;
            if (bytes.empty() || check_stream(bytes, s).fault != Fault::None || !score_text(s, type, text, error)) {
                failures.push_back("not decompiled: " + score.text);
                continue;
            }
            if (compile(text, type) != bytes)
                failures.push_back("differs: " + score.text + "as\n" + text);
            const int tempo = score_tempo(s, type);
            if (!near_the_music(tempo, score.tempo))
                failures.push_back("tempo " + std::to_string(tempo) + ": " + score.text);
            exact += tempo == score.tempo;
        }
        quiet.reset();
        EXPECT_TRUE(failures.empty()) << failures.size() << " failed, first: " << failures.front();
        // Type 1 counts periods of up to 3951 Hz: its bytes nearly always tell the tempo.
        EXPECT_GE(exact * (type == 1 ? 20 : 2), scores * (type == 1 ? 19 : 1)) << exact << " exact";
    }
}

TEST(RoundTrip, DurationsAreTheShortestThatGiveTheDivisor)
{
    struct Row {
        int type, code;
        unsigned divisor;
        int tempo;
        const char* text;
    };
    // clang-format off
    const Row rows[] = {
        {3, 48, 33, 120, "1"},        // C4, one beat: an exact divisor
        {3, 50, 17, 120, "0.5"},      // D4, half a beat: 16.5 rounded up
        {3, 1, 11, 120, "0.33"},      // a triplet: (10, 11] units is (0.303, 0.333] beats
        {3, 1, 1, 120, "0.02"},       // the shortest note: up to 1/33 of a beat, the middle
        {3, 1, 65535, 1, "16.549"},   // the longest at tempo 1: 16.55 gives 65538
        {1, 48, 262, 120, "1"},       // C4 at 261.63 Hz: 261.22 periods rounded up
        {1, 1, 50, 120, "1"},         // REST counts periods of 100 Hz
    };
    // clang-format on
    for (const Row& r : rows) {
        std::string text;
        ASSERT_TRUE(beats_text(r.type, r.code, r.divisor, r.tempo, text)) << r.text;
        EXPECT_EQ(text, r.text);
        EXPECT_EQ(compute_diviseur(r.type, note_frequency(r.code), read_duration(text.c_str()), r.tempo),
                  static_cast<int>(r.divisor))
            << r.text;
    }
}

}  // namespace
}  // namespace melplay
