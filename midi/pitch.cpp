#include "pitch.h"

#include <cmath>

#include "note_table.h"

namespace melmidi {

namespace {

constexpr int kFirstPitchRow = 2;  // rows 0 and 1 are the empty name and REST
constexpr int kOctave = 12;

double key_frequency(int key)
{
    return 440.0 * std::exp2((key - kKeyA440) / 12.0);
}

// Half a semitone beyond the table's lowest or highest pitch: nearer to a note an octave away.
bool below_table(int key)
{
    return key_frequency(key) * std::exp2(1.0 / 24) < static_cast<double>(notes_freq[kFirstPitchRow][1]);
}

bool above_table(int key)
{
    return key_frequency(key) / std::exp2(1.0 / 24) > static_cast<double>(notes_freq[kNoteRows - 1][1]);
}

}  // namespace

int key_row(int key, bool& moved)
{
    moved = false;
    while (below_table(key)) {
        key += kOctave;
        moved = true;
    }
    while (above_table(key)) {
        key -= kOctave;
        moved = true;
    }
    const double want = std::log2(key_frequency(key));
    int best = kFirstPitchRow;
    double best_distance = HUGE_VAL;
    for (int row = kFirstPitchRow; row < kNoteRows; ++row) {
        const double distance = std::fabs(std::log2(static_cast<double>(notes_freq[row][1])) - want);
        if (distance < best_distance) {
            best = row;
            best_distance = distance;
        }
    }
    return best;
}

}  // namespace melmidi
