#include "score.h"

#include <algorithm>

#include "note_table.h"

namespace melmidi {

namespace {

constexpr int kMaxCount = 127;               // of a section
constexpr std::size_t kLongestPeriod = 512;  // notes of the longest passage looked for

struct Repeat {
    std::size_t block = 0;
    std::size_t start = 0;
    std::size_t period = 0;
    int count = 0;
    std::size_t saved() const { return count < 2 ? 0 : period * static_cast<std::size_t>(count - 1); }
};

// The best repeat inside notes [first, first + length).
void best_in(const std::vector<ScoreNote>& notes, std::size_t block, const Block& b, Repeat& best)
{
    const std::size_t end = b.first + b.length;
    for (std::size_t period = 1; period <= std::min(kLongestPeriod, b.length / 2); ++period) {
        std::size_t run = 0;  // notes i with notes[i] == notes[i + period], up to here
        for (std::size_t i = b.first; i + period < end; ++i) {
            run = notes[i] == notes[i + period] ? run + 1 : 0;
            if (run < period)
                continue;
            const std::size_t copies = std::min<std::size_t>(run / period + 1, kMaxCount);
            const std::size_t start = i + 1 - run;
            Repeat r{block, start, period, static_cast<int>(copies)};
            if (r.saved() > best.saved())
                best = r;
        }
    }
}

}  // namespace

std::vector<Block> plain(const std::vector<ScoreNote>& notes)
{
    return {Block{0, notes.size(), 0}};
}

std::size_t stream_bytes(const std::vector<Block>& blocks)
{
    std::size_t bytes = 1;
    for (const Block& b : blocks)
        bytes += 3 * b.length + (b.count ? 2 : 0);
    return bytes;
}

bool fold_longest_repeat(const std::vector<ScoreNote>& notes, std::vector<Block>& blocks)
{
    Repeat best;
    for (std::size_t i = 0; i < blocks.size(); ++i)
        if (blocks[i].count == 0)
            best_in(notes, i, blocks[i], best);
    if (best.count < 2)
        return false;
    const Block whole = blocks[best.block];
    const std::size_t after = best.start + best.period * static_cast<std::size_t>(best.count);
    std::vector<Block> parts;
    if (best.start > whole.first)
        parts.push_back({whole.first, best.start - whole.first, 0});
    parts.push_back({best.start, best.period, best.count});
    if (after < whole.first + whole.length)
        parts.push_back({after, whole.first + whole.length - after, 0});
    blocks.erase(blocks.begin() + static_cast<std::ptrdiff_t>(best.block));
    blocks.insert(blocks.begin() + static_cast<std::ptrdiff_t>(best.block), parts.begin(), parts.end());
    return true;
}

bool write_score(int tempo, const std::vector<ScoreNote>& notes, const std::vector<Block>& blocks,
                 DurationTexts& durations, std::string& text, std::string& error)
{
    text = std::to_string(tempo) + "\n";
    text.reserve(notes.size() * 10 + 16);
    for (const Block& b : blocks) {
        if (b.count)
            text += "REPEAT " + std::to_string(b.count) + "\n";
        for (std::size_t i = b.first; i < b.first + b.length; ++i) {
            const std::string& duration = durations.text(notes[i].row, notes[i].divisor);
            if (duration.empty()) {
                error = "No duration gives the divisor " + std::to_string(notes[i].divisor) + " at tempo " +
                        std::to_string(tempo) + "; choose a lower tempo with -b:tempo.";
                return false;
            }
            if (b.count)
                text += "  ";
            text += notes_name[notes[i].row];
            text += ' ';
            text += duration;
            text += '\n';
        }
        if (b.count)
            text += "END\n";
    }
    return true;
}

}  // namespace melmidi
