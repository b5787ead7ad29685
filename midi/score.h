// The score text of the placed notes: the tempo, then one element a line, and with -r the
// repeated passages written once inside REPEAT n ... END.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "durations.h"

namespace melmidi {

// A run of the notes, written once and played `count` times; count 0: plain notes.
struct Block {
    std::size_t first = 0;
    std::size_t length = 0;
    int count = 0;
};

// The notes as one plain block.
std::vector<Block> plain(const std::vector<ScoreNote>& notes);

// Bytes of the note stream melvox makes of the blocks, the final 0x00 included.
std::size_t stream_bytes(const std::vector<Block>& blocks);

// Replaces the repeated passage that saves the most notes (a run of notes that follows itself
// two or more times, in a plain block) by a section; false when there is none.
bool fold_longest_repeat(const std::vector<ScoreNote>& notes, std::vector<Block>& blocks);

// The score text; false with a message if a duration has no text (see DurationTexts).
bool write_score(int tempo, const std::vector<ScoreNote>& notes, const std::vector<Block>& blocks,
                 DurationTexts& durations, std::string& text, std::string& error);

}  // namespace melmidi
