// The divisors of the score, chosen so that the compiled stream keeps the MIDI file's time,
// and the duration texts that give them.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "timing.h"

namespace melmidi {

struct ScoreNote {
    int row = 0;           // of the note table; 1 for REST
    unsigned divisor = 0;  // 1 to 65535
    bool operator==(const ScoreNote& o) const { return row == o.row && divisor == o.divisor; }
};

// Seconds a note event plays: `divisor` units of 1/66 s (output type 3) or periods of the
// note's frequency (type 1; a REST's frequency is 100).
double note_seconds(int type, int row, unsigned divisor);

struct Placement {
    std::vector<ScoreNote> notes;
    std::size_t left_out = 0;  // elements shorter than half a unit where they fell
    std::size_t repeated = 0;  // elements too long for one divisor, written as several
    double seconds = 0;        // of the whole stream
    bool too_many = false;     // placing stopped at kMostNotes notes
};

// Far more notes than any score melvox takes can hold, even with -r: placing stops there, so
// that a file of a few bytes cannot ask for millions of repeated notes.
constexpr std::size_t kMostNotes = 1u << 18;

// Each element's divisor is the whole number of units that brings the stream's running time
// nearest to the element's end: the stream never drifts from the file by more than half a
// unit of the element just played, however long it is. An element that would get no unit is
// left out; one of more than 65535 units becomes several equal notes.
Placement place(const std::vector<Element>& elements, int type);

// The shortest decimal text of a duration that melvox turns into exactly `divisor` for this
// row at this tempo and output type, remembered for the next note that needs it.
class DurationTexts {
public:
    DurationTexts(int type, int tempo) : type_(type), tempo_(tempo) {}
    // Empty if no duration gives the divisor (a tempo so high that the durations overflow).
    const std::string& text(int row, unsigned divisor);

private:
    std::string find(int row, unsigned divisor) const;
    int type_;
    int tempo_;
    std::unordered_map<std::uint64_t, std::string> known_;
};

}  // namespace melmidi
