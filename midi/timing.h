// From ticks to seconds, and from the voice's melody to the elements of the score: notes
// and rests, each with the time at which it must end.
#pragma once

#include <cstdint>
#include <vector>

#include "smf.h"
#include "voice.h"

namespace melmidi {

constexpr int kDefaultTempo = 120;      // beats per minute of a file without a tempo
constexpr double kShortestGap = 0.010;  // seconds: a shorter silence is not heard as one

// Seconds from the start of the file at each tick, by every tempo change of the file.
class TempoMap {
public:
    explicit TempoMap(const MidiFile& file);
    double seconds(std::uint64_t tick) const;

private:
    struct Piece {
        std::uint64_t tick;
        double seconds;   // at `tick`
        double per_tick;  // seconds per tick from there on
    };
    std::vector<Piece> pieces_;
};

// The file's first tempo in whole beats per minute (at least 1), kDefaultTempo without one.
int first_tempo(const MidiFile& file);

struct Element {
    int row = 0;     // of the note table; 1 for REST
    double end = 0;  // seconds after the first note's start
};

struct Elements {
    std::vector<Element> list;
    double lead = 0;  // seconds of silence before the first note, left out
    std::size_t rests = 0;
    std::size_t moved = 0;  // notes moved by octaves into the table
};

// The melody as notes and rests: a silence shorter than kShortestGap is given to the note
// before it. Pitches are transposed by `transpose` semitones.
Elements make_elements(const Voice& voice, const TempoMap& map, int transpose);

}  // namespace melmidi
