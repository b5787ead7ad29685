// The converter's fast paths against the library routines they stand in for: the hashed
// note lookup against a scan of the table, the tokeniser against strtok, the remembered
// duration texts and notes against printf's "%f" and the divisor, the section lines against
// printf's "REPEAT x%d".
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "converter.h"
#include "numbers.h"
#include "note_table.h"
#include "score_compiler.h"

namespace {

int scan_note_table(const char* note)
{
    for (int row = 0; row < kNoteRows; ++row)
        if (std::strcmp(note, notes_name[row]) == 0)
            return row;
    return -1;
}

struct Compiled {
    int ret;
    std::string stream;
    std::string echo;
};

// MUSConv over `score` placed at `at` in a buffer of bufIN's size.
Compiled compile(const std::string& score, int type, std::size_t at = 0)
{
    std::vector<unsigned char> in(kBufInSize, 0), out(kBufOutSize, 0);
    EXPECT_LT(at + score.size(), in.size());
    std::memset(in.data(), ' ', at);
    std::memcpy(in.data() + at, score.data(), score.size());
    bufIN = in.data();
    bufOUT = out.data();
    TypeDest = type;
    testing::internal::CaptureStdout();
    Compiled r;
    r.ret = MUSConv();
    std::fflush(stdout);
    r.echo = testing::internal::GetCapturedStdout();
    r.stream.assign(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(LengthOUT));
    bufIN = nullptr;
    bufOUT = nullptr;
    return r;
}

}  // namespace

// Every string of up to five characters over the letters that note names are made of (and a
// few that they are not), and every row's name with a character added or taken away.
TEST(SearchNote, AgreesWithAScanOfTheTable)
{
    const char alphabet[] = "ABCDEFGRSTb#0178c";
    const std::size_t letters = sizeof alphabet - 1;
    char name[8] = {};
    std::size_t tried = 0;
    for (std::size_t length = 0; length <= 5; ++length) {
        std::size_t count = 1;
        for (std::size_t i = 0; i < length && length < 5; ++i)
            count *= letters;
        if (length == 5)
            count = 20000;  // a sample: none can match
        for (std::size_t n = 0; n < count; ++n) {
            std::size_t v = length == 5 ? n * 7919 : n;
            for (std::size_t i = 0; i < length; ++i, v /= letters)
                name[i] = alphabet[v % letters];
            name[length] = '\0';
            ASSERT_EQ(search_note(name), scan_note_table(name)) << name;
            ++tried;
        }
    }
    for (int row = 0; row < kNoteRows; ++row) {
        const std::string n = notes_name[row];
        for (const std::string& s : {n, n + "x", n + "0", "x" + n, n.substr(0, n.size() ? n.size() - 1 : 0)})
            EXPECT_EQ(search_note(s.c_str()), scan_note_table(s.c_str())) << s;
    }
    EXPECT_GT(tried, 80000u);
}

// Random texts of every byte value (a zero byte ends them), cut into tokens both ways.
TEST(Tokeniser, AgreesWithStrtok)
{
    const char delimiters[] = " ,;:!-\t\n\r\f";
    std::uint32_t seed = 1;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 3000; ++round) {
        std::string text(next() % 80, '\0');
        for (char& c : text) {
            const std::uint32_t r = next() >> 8;
            c = r % 3 == 0 ? delimiters[r % 10] : static_cast<char>(r % 256);
        }
        std::vector<char> ours(text.begin(), text.end()), theirs(text.begin(), text.end());
        ours.push_back('\0');
        theirs.push_back('\0');
        std::vector<std::string> got, want;
        Tokeniser tokens(ours.data());
        for (char* t = tokens.next(); t != nullptr; t = tokens.next())
            got.emplace_back(t);
        for (char* t = std::strtok(theirs.data(), delimiters); t != nullptr; t = std::strtok(nullptr, delimiters))
            want.emplace_back(t);
        ASSERT_EQ(got, want) << "round " << round;
        ASSERT_EQ(ours, theirs) << "round " << round;  // the same bytes overwritten
    }
}

// Many different duration texts, each used several times in a shuffled order, so that
// remembered texts are reused and slots are taken over by other texts: every echo line
// must be "%s,%f" of the note and of the float nearest to the double that strtod reads.
TEST(DurationEcho, IsPrintfOfTheDurationRead)
{
    std::vector<std::string> durations = {"1",        "0.5",       ".25",       "2.",           "1e+1",
                                          "0.1",      "1234567.1", "3.4e38",    "0x1p3",        "16.549",
                                          "0.000001", "0.0000005", "0.0000015", "123456789012", "1.0000000000000000001",
                                          "7/8",      "9bpm"};
    for (int i = 1; i <= 150; ++i)
        durations.push_back(std::to_string(i) + "." + std::to_string(i * 37 % 1000));
    std::string score = "3960\n";
    std::string expected;
    std::uint32_t seed = 7;
    for (int pass = 0; pass < 4; ++pass) {
        for (std::size_t k = 0; k < durations.size(); ++k) {
            seed = seed * 1664525u + 1013904223u;
            const std::string& d = durations[seed % durations.size()];
            const float f = static_cast<float>(std::strtod(d.c_str(), nullptr));
            const double quotient = static_cast<double>(f) * 3960.0 / 3960.0;
            if (!(quotient <= 65535.0 && quotient > 0))
                continue;  // would fail with a divisor out of range
            score += "C4 " + d + "\n";
            char line[96];
            std::snprintf(line, sizeof line, "C4,%f\n", static_cast<double>(f));
            expected += line;
        }
    }
    const Compiled r = compile(score, 3);
    EXPECT_EQ(r.ret, 0);
    EXPECT_EQ(r.echo, expected);
}

// Every count a section may have.
TEST(RepeatEcho, IsPrintfOfTheCount)
{
    std::string score = "120";
    std::string expected;
    for (int n = 1; n <= 127; ++n) {
        score += " REPEAT " + std::to_string(n) + " END";
        char line[32];
        std::snprintf(line, sizeof line, "REPEAT x%d\n", n);
        expected += line;
        expected += "END\n";
    }
    const Compiled r = compile(score, 1);
    EXPECT_EQ(r.ret, 0);
    EXPECT_EQ(r.echo, expected);
}

// Notes are remembered by the texts of their two tokens. More pairs than the table holds, in a
// shuffled order and each several times, with durations that share their first bytes; in two
// compilations of different tempo and output type one after the other; the last note at the
// very end of the buffer. Each event and echo line must be what the note table, the readers,
// the divisor and printf give for that note alone.
TEST(NoteEcho, IsWhatEachNoteGivesAlone)
{
    const char* names[] = {"C4",  "REST", "D#3", "Eb3", "B7",  "D0",  "Cb1", "B0",  "F#2", "Gb2", "A3",
                           "Bb5", "G6",   "E1",  "Fb1", "C#7", "Db7", "A#0", "G#4", "Ab4", "F5",  "E7"};
    const char* durations[] = {"1",        "1.5", "1.52",  "15",   "0.5", "0.50",   ".5",    "0.25",
                               "0.250001", "2.",  "0.125", "1e+1", "3",   "0.0625", "0x1p1", "0.333333"};
    constexpr std::size_t kPairs = std::size(names) * std::size(durations);
    static_assert(kPairs > 300, "more pairs than the table remembers");
    // The first note remembered and the last one, at the end of the buffer, share bytes.
    std::vector<std::pair<const char*, const char*>> order = {{"C4", "1.5"}};
    std::uint32_t seed = 11;
    for (std::size_t k = 0; k < 3 * kPairs; ++k) {
        seed = seed * 1664525u + 1013904223u;
        const std::size_t pair = (seed >> 8) % kPairs;
        order.emplace_back(names[pair % std::size(names)], durations[pair / std::size(names)]);
    }
    order.emplace_back("C4", "1.52");
    std::string notes;
    for (const auto& p : order)
        notes += std::string(" ") + p.first + " " + p.second;
    for (const auto& [type, tempo] : {std::pair{1, 120}, std::pair{3, 97}, std::pair{1, 240}}) {
        SCOPED_TRACE("type " + std::to_string(type) + ", tempo " + std::to_string(tempo));
        std::string stream, echo;
        for (const auto& [name, duration] : order) {
            const int row = scan_note_table(name);
            const float d = static_cast<float>(std::strtod(duration, nullptr));
            const int divisor = compute_diviseur(type, notes_freq[row][1], d, tempo);
            ASSERT_NE(divisor, 0) << name << " " << duration;
            stream += static_cast<char>(static_cast<int>(notes_freq[row][0]));
            stream += static_cast<char>(divisor & 0xFF);
            stream += static_cast<char>(divisor >> 8);
            char line[96];
            std::snprintf(line, sizeof line, "%s,%f\n", name, static_cast<double>(d));
            echo += line;
        }
        stream += '\0';
        const std::string score = std::to_string(tempo) + notes;
        const Compiled r = compile(score, type, kBufInSize - 1 - score.size());
        EXPECT_EQ(r.ret, 0);
        EXPECT_EQ(r.stream, stream);
        EXPECT_EQ(r.echo, echo);
    }
}
