// A divisor is the ceiling of the note's length in divisor units, so every divisor is given by
// a whole interval of durations: (divisor - 1, divisor] units. The duration written is the
// decimal with the fewest digits inside it, checked with the converter's own reading and
// divisor computation. The tempo is searched near the one that makes the most frequent note
// value one beat.
#include "score_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "decimal.h"
#include "notes.h"
#include "numbers.h"
#include "text.h"

namespace melplay {

namespace {

constexpr int kMaxDecimals = 17;
constexpr double kPowersOfTen[kMaxDecimals + 1] = {1e0, 1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                                                   1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17};
constexpr double kLargestExact = 9007199254740992.0;  // 2^53: decimal_value's bound
// Past this relative distance from the interval's ends a duration is surely outside; nearer,
// the converter's own computation decides (a float is within 6e-8 of the decimal it reads).
constexpr double kEdge = 1e-6;
// Decimals tried on each side of the target: the nearest inside the interval is among them.
constexpr double kNear = 16;
// Note lengths within 4% of each other are one note value to the tempo guess.
constexpr double kSameValue = 1.04;
// The tempos tried lie from 4/5 to 5/4 of the guess, scored on the most frequent notes.
constexpr double kTempoSpan = 1.25;
constexpr std::size_t kScoredNotes = 64;
// The parts of a beat a musician writes: halves, thirds, quarters, sixths, eighths, ...
constexpr int kGrid[] = {1, 2, 3, 4, 6, 8, 12, 16};

double units_per_beat(int type, int code, int tempo)
{
    return type == 3 ? 3960.0 / tempo : static_cast<double>(note_frequency(code)) * 60.0 / tempo;
}

// A note of the stream and how often it occurs.
struct NoteUse {
    int code;
    unsigned divisor;
    std::size_t count;
    double seconds;
};

std::vector<NoteUse> note_uses(const Stream& stream, int type)
{
    // Each note as one number, code above divisor, sorted so that equal notes stand together.
    std::vector<std::uint32_t> keys;
    keys.reserve(stream.note_events);
    for (const Element& e : stream.elements) {
        if (e.kind == Kind::Note)
            keys.push_back(static_cast<std::uint32_t>(e.code) << 16 | e.divisor);
    }
    std::sort(keys.begin(), keys.end());
    std::vector<NoteUse> uses;
    for (std::size_t i = 0, j = 0; i < keys.size(); i = j) {
        while (j < keys.size() && keys[j] == keys[i])
            ++j;
        const int code = static_cast<int>(keys[i] >> 16);
        const unsigned divisor = keys[i] & 0xFFFF;
        uses.push_back({code, divisor, j - i, note_seconds(type, code, divisor)});
    }
    return uses;
}

// 60 / the length of the most frequent note value: lengths within kSameValue of each other
// (divisors are rounded, and periods differ from note to note) count as one value, and of
// two values as frequent the longer wins. Doubled or halved into the guessing range.
double tempo_guess(std::vector<NoteUse> uses)
{
    std::sort(uses.begin(), uses.end(), [](const NoteUse& a, const NoteUse& b) { return a.seconds < b.seconds; });
    double beat = uses.front().seconds;
    std::size_t beat_count = 0;
    for (std::size_t i = 0; i < uses.size();) {
        const double first = uses[i].seconds;
        std::size_t count = 0;
        double sum = 0;
        for (; i < uses.size() && uses[i].seconds <= first * kSameValue; ++i) {
            count += uses[i].count;
            sum += uses[i].seconds * static_cast<double>(uses[i].count);
        }
        if (count >= beat_count) {
            beat = sum / static_cast<double>(count);
            beat_count = count;
        }
    }
    double guess = 60.0 / beat;
    while (guess > kFastestGuess)
        guess /= 2;
    while (guess < kSlowestGuess)
        guess *= 2;
    return guess;
}

// How a tempo reads: the notes that are no simple part of a beat, then the digits of all
// durations.
struct Reading {
    std::size_t off_grid = 0;
    std::size_t digits = 0;
    bool operator<(const Reading& o) const
    {
        return off_grid != o.off_grid ? off_grid < o.off_grid : digits < o.digits;
    }
};

// The simple part of a beat p/q (q as small as may be) in (bottom, top], else the middle.
bool grid_value(double bottom, double top, double& target)
{
    for (int q : kGrid) {
        const double p = std::max(1.0, std::floor(bottom * q) + 1);
        if (p / q <= top) {
            target = p / q;
            return true;
        }
    }
    target = (bottom + top) / 2;
    return false;
}

// A duration that gives `divisor`: n / 10^decimals, the shortest, and of those the nearest to
// the simple part of a beat in the interval (or to its middle); false if none.
bool shortest_duration(int type, int code, unsigned divisor, int tempo, std::uint64_t& n, int& decimals, bool& on_grid)
{
    const float freq = note_frequency(code);
    const double unit = units_per_beat(type, code, tempo);
    const double top = divisor / unit;
    const double bottom = (divisor - 1) / unit;
    double target = 0;
    on_grid = grid_value(bottom, top, target);
    for (decimals = 0; decimals <= kMaxDecimals; ++decimals) {
        const double scale = kPowersOfTen[decimals];
        // Only the decimals next to the target can be the nearest; the interval may be wide.
        const double first = std::max({1.0, std::floor(bottom * scale), std::floor(target * scale) - kNear});
        const double last = std::min(std::ceil(top * scale), std::ceil(target * scale) + kNear);
        if (last > kLargestExact)
            return false;
        bool found = false;
        double gap = 0;
        for (auto q = static_cast<std::uint64_t>(first); q <= static_cast<std::uint64_t>(last); ++q) {
            const double x = static_cast<double>(q) / scale;
            double value = 0;
            if (x < bottom * (1 - kEdge) || x > top * (1 + kEdge) || (found && std::fabs(x - target) >= gap) ||
                !decimal_value(q, decimals, value) ||
                compute_diviseur(type, freq, static_cast<float>(value), tempo) != static_cast<int>(divisor))
                continue;
            n = q;
            gap = std::fabs(x - target);
            found = true;
        }
        if (found)
            return true;
    }
    return false;
}

// Metronome marks are mostly round: 120 rather than 121.
int roundness(int tempo)
{
    return tempo % 10 == 0 ? 3 : tempo % 5 == 0 ? 2 : tempo % 2 == 0 ? 1 : 0;
}

// Tempos that read the same fit the stream equally well: of the run of consecutive ones nearest
// the guess, the roundest, and of those the nearest the run's middle.
int pick_from_ties(const std::vector<int>& tempos, double guess)
{
    std::size_t best_start = 0, best_end = 0;
    double best_distance = 0;
    for (std::size_t start = 0, end = 0; start < tempos.size(); start = end) {
        end = start + 1;
        while (end < tempos.size() && tempos[end] == tempos[end - 1] + 1)
            ++end;
        const double distance = std::max({0.0, tempos[start] - guess, guess - tempos[end - 1]});
        if (start == 0 || distance < best_distance) {
            best_start = start;
            best_end = end;
            best_distance = distance;
        }
    }
    const double middle = (tempos[best_start] + tempos[best_end - 1]) / 2.0;
    int pick = tempos[best_start];
    for (std::size_t i = best_start; i < best_end; ++i) {
        const int t = tempos[i];
        if (roundness(t) > roundness(pick) ||
            (roundness(t) == roundness(pick) && std::fabs(t - middle) < std::fabs(pick - middle)))
            pick = t;
    }
    return pick;
}

bool read_at(const std::vector<NoteUse>& uses, std::size_t how_many, int type, int tempo, Reading& reading)
{
    for (std::size_t i = 0; i < how_many; ++i) {
        std::uint64_t n = 0;
        int decimals = 0;
        bool on_grid = false;
        if (!shortest_duration(type, uses[i].code, uses[i].divisor, tempo, n, decimals, on_grid))
            return false;
        char text[kDecimalRoom];
        reading.digits += uses[i].count * scaled_text(n, decimals, text);
        reading.off_grid += on_grid ? 0 : uses[i].count;
    }
    return true;
}

bool score_at(const Stream& stream, int type, int tempo, std::string& text, std::string& error)
{
    text = format("%d\n", tempo);
    bool inside = false;
    std::string duration;
    for (const Element& e : stream.elements) {
        switch (e.kind) {
        case Kind::SectionStart:
            text += format("REPEAT %d\n", e.count);
            inside = true;
            break;
        case Kind::SectionEnd:
            text += "END\n";
            inside = false;
            break;
        case Kind::Note:
            if (!beats_text(type, e.code, e.divisor, tempo, duration)) {
                error =
                    format("Offset %zu: no duration gives the divisor %u at tempo %d.\n", e.offset, e.divisor, tempo);
                return false;
            }
            // "%s%s %s\n"
            if (inside)
                text += "  ";
            text += note_name(e.code);
            text += ' ';
            text += duration;
            text += '\n';
            break;
        }
    }
    return true;
}

}  // namespace

bool beats_text(int type, int code, unsigned divisor, int tempo, std::string& text)
{
    std::uint64_t n = 0;
    int decimals = 0;
    bool on_grid = false;
    if (!shortest_duration(type, code, divisor, tempo, n, decimals, on_grid))
        return false;
    char digits[kDecimalRoom];
    text.assign(digits, scaled_text(n, decimals, digits));
    return true;
}

int score_tempo(const Stream& stream, int type)
{
    std::vector<NoteUse> uses = note_uses(stream, type);
    if (uses.empty())
        return kTempoWithoutNotes;
    const double guess = tempo_guess(uses);
    // The most frequent notes decide; a long stream of all different notes stays quick.
    const std::size_t scored = std::min(uses.size(), kScoredNotes);
    std::partial_sort(uses.begin(), uses.begin() + static_cast<std::ptrdiff_t>(scored), uses.end(),
                      [](const NoteUse& a, const NoteUse& b) { return a.count > b.count; });
    std::vector<int> tied;  // the tempos of the best reading, in order
    Reading best;
    const int slowest = std::max(1, static_cast<int>(std::floor(guess / kTempoSpan)));
    const int fastest = static_cast<int>(std::ceil(guess * kTempoSpan));
    for (int tempo = slowest; tempo <= fastest; ++tempo) {
        Reading reading;
        if (!read_at(uses, scored, type, tempo, reading) || (!tied.empty() && best < reading))
            continue;
        if (tied.empty() || reading < best)
            tied.clear();
        tied.push_back(tempo);
        best = reading;
    }
    return tied.empty() ? static_cast<int>(std::lround(guess)) : pick_from_ties(tied, guess);
}

bool score_text(const Stream& stream, int type, std::string& text, std::string& error)
{
    if (!score_at(stream, type, score_tempo(stream, type), text, error))
        return false;
    // Beats of many very short notes may make a text too long for the converter; durations
    // counted in seconds (type 1) or in the divisor's own units (type 3) are shorter.
    std::string plain;
    if (text.size() >= kConverterTextLimit &&
        score_at(stream, type, type == 3 ? kType3UnitTempo : kType1UnitTempo, plain, error) &&
        plain.size() < text.size())
        text.swap(plain);
    return true;
}

}  // namespace melplay
