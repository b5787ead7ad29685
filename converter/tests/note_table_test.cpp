// Note table: names, codes and frequencies, and the name lookup.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "note_table.h"

namespace {

struct SpotRow {
    const char* name;
    int code;
    float freq;
};

TEST(NoteTable, SpotRowsHaveTheirCodeAndFrequency)
{
    // clang-format off
    const SpotRow rows[] = {
        {"REST", 1, 100.0f},
        {"D0", 2, 37.5f},
        {"A3", 45, 439.4849853515625f},
        {"C4", 48, 522.448974609375f},
        {"A4", 57, 882.7586059570312f},
        {"B7", 95, 7876.92333984375f},
        {"Cb8", -1, 0.0f},
        {"F#1", 18, 92.5023f},
        {"Gb1", 18, 92.5023f},
        {"Bb5", 70, 1861.8182f},
        {"C7", 84, 4151.3516f},
    };
    // clang-format on
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        int row = search_note(r.name);
        if (r.code < 0) {
            EXPECT_EQ(row, -1);
            continue;
        }
        ASSERT_GE(row, 0);
        EXPECT_STREQ(notes_name[row], r.name);
        EXPECT_EQ(notes_freq[row][0], static_cast<float>(r.code));
        EXPECT_EQ(notes_freq[row][1], r.freq);
    }
}

TEST(NoteTable, RestAndEmptyNameComeFirst)
{
    EXPECT_EQ(search_note(""), 0);
    EXPECT_EQ(notes_freq[0][0], 0.0f);
    EXPECT_EQ(notes_freq[0][1], 0.0f);
    EXPECT_EQ(search_note("REST"), 1);
}

TEST(NoteTable, AliasesShareCodeAndFrequency)
{
    // clang-format off
    const std::pair<const char*, const char*> aliases[] = {
        {"B0", "Cb1"}, {"E3", "Fb3"}, {"D#2", "Eb2"}, {"C#1", "Db1"},
        {"A#7", "Bb7"}, {"G#4", "Ab4"}, {"F#6", "Gb6"}, {"B6", "Cb7"},
    };
    // clang-format on
    for (const auto& [a, b] : aliases) {
        SCOPED_TRACE(std::string(a) + " / " + b);
        int ra = search_note(a);
        int rb = search_note(b);
        ASSERT_GE(ra, 0);
        ASSERT_GE(rb, 0);
        EXPECT_NE(ra, rb);
        EXPECT_EQ(notes_freq[ra][0], notes_freq[rb][0]);
        EXPECT_EQ(notes_freq[ra][1], notes_freq[rb][1]);
    }
}

TEST(NoteTable, NamesOutsideTheTableAreNotFound)
{
    // clang-format off
    const char* const missing[] = {
        "rest", "Rest", "R", "C0", "C#0", "Db0", "Cb8", "C8", "E#4", "B#4", "c4", "Fb",
        "C4 ", " C4", "C4\v", "Cbb4", "H4", "C44", "REST1", "D0xxxxxxxxxxxx",
    };
    // clang-format on
    for (const char* name : missing)
        EXPECT_EQ(search_note(name), -1) << name;
}

// The row order and codes rebuilt here from the naming rule alone, independent of
// how the table derives them.
TEST(NoteTable, RowsFollowTheOctaveOrderAndCodeRule)
{
    const char* const order[] = {"C",  "C#", "Db", "D",  "D#", "Eb", "E",  "Fb", "F",
                                 "F#", "Gb", "G",  "G#", "Ab", "A",  "A#", "Bb", "B"};
    const int semitone[] = {0, 1, 1, 2, 3, 3, 4, 4, 5, 6, 6, 7, 8, 8, 9, 10, 10, 11};
    std::vector<std::pair<std::string, int>> expected;
    for (int octave = 0; octave <= 7; ++octave) {
        for (int i = 0; i < 18; ++i)
            if (octave > 0 || semitone[i] >= 2)
                expected.emplace_back(order[i] + std::to_string(octave), 12 * octave + semitone[i]);
        if (octave < 7)
            expected.emplace_back("Cb" + std::to_string(octave + 1), 12 * octave + 11);
    }
    ASSERT_EQ(expected.size() + 2, static_cast<size_t>(kNoteRows));
    for (size_t i = 0; i < expected.size(); ++i) {
        int row = static_cast<int>(i) + 2;
        SCOPED_TRACE(expected[i].first);
        EXPECT_STREQ(notes_name[row], expected[i].first.c_str());
        EXPECT_EQ(notes_freq[row][0], static_cast<float>(expected[i].second));
        EXPECT_EQ(search_note(expected[i].first.c_str()), row);
    }
}

// A mistyped frequency (digits swapped, a value in the wrong cell) almost always
// breaks the rise of pitch with code.
TEST(NoteTable, FrequencyRisesStrictlyWithCode)
{
    float previous = 0.0f;
    for (int row = 2; row < kNoteRows; ++row) {
        bool alias = notes_freq[row][0] == notes_freq[row - 1][0];
        SCOPED_TRACE(notes_name[row]);
        if (alias)
            EXPECT_EQ(notes_freq[row][1], previous);
        else
            EXPECT_GT(notes_freq[row][1], previous);
        previous = notes_freq[row][1];
    }
}

}  // namespace
