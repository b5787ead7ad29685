// Decompiling: a score text that the converter compiles back to the same stream bytes, at a
// tempo chosen from the stream so that the durations read as beats.
#pragma once

#include <string>

#include "buffer_sizes.h"
#include "stream.h"

namespace melplay {

// The converter refuses a score text of this many bytes or more, and a stream longer than
// this many bytes.
constexpr std::size_t kConverterTextLimit = kBufInSize;
constexpr std::size_t kConverterStreamLimit = kBufOutSize;

// The tempos at which durations count seconds (type 1) and the divisor's own units (type 3):
// the shortest texts, used when beats would make a text too long for the converter.
constexpr int kType1UnitTempo = 60;
constexpr int kType3UnitTempo = 3960;
// The tempo of a stream without notes; any tempo compiles it.
constexpr int kTempoWithoutNotes = 120;
// The range a tempo guessed from the note lengths is brought into by doubling or halving.
constexpr int kSlowestGuess = 40;
constexpr int kFastestGuess = 200;

// The duration in beats, with the fewest decimals, that the converter turns into exactly
// `divisor` for this note at `tempo` in output `type`; among texts of that length the one
// nearest to a simple part of a beat (a half, a third, ... a sixteenth) that gives the
// divisor, or to the middle of the durations that do. False if there is none within 17
// decimals.
bool beats_text(int type, int code, unsigned divisor, int tempo, std::string& text);

// The tempo of the score: near the one that makes the most frequent note value one beat, the
// one whose durations are most often simple parts of a beat, then the shortest texts.
int score_tempo(const Stream& stream, int type);

// The score text at score_tempo, or at the unit tempo when only that one's text is short
// enough for the converter; false with a message in `error` if a divisor could not be reached.
bool score_text(const Stream& stream, int type, std::string& text, std::string& error);

}  // namespace melplay
