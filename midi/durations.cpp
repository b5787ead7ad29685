// A divisor D comes from every float duration d whose quotient melvox rounds up to D; those
// durations form one run of consecutive floats (the quotient grows with d), found here with
// melvox's own divisor computation, and the shortest decimal inside the run is the text.
#include "durations.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "note_table.h"
#include "numbers.h"

namespace melmidi {

namespace {

constexpr unsigned kMaxDivisor = 65535;
constexpr double kType3Rate = 66.0;                  // units of a second in output type 3
constexpr int kMostDecimals = 9;                     // tried by exact arithmetic; printf goes on from there
constexpr double kExactDigits = 9007199254740992.0;  // 2^53: every whole double below is exact

// The units a second of this row has.
double rate(int type, int row)
{
    return type == 3 ? kType3Rate : static_cast<double>(notes_freq[row][1]);
}

float from_bits(std::uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

}  // namespace

double note_seconds(int type, int row, unsigned divisor)
{
    return divisor / rate(type, row);
}

Placement place(const std::vector<Element>& elements, int type)
{
    Placement out;
    out.notes.reserve(elements.size());
    double now = 0;
    for (const Element& e : elements) {
        if (out.notes.size() >= kMostNotes) {
            out.too_many = true;
            break;
        }
        const double units = std::floor((e.end - now) * rate(type, e.row) + 0.5);  // a tie to the longer
        if (!(units >= 1)) {
            ++out.left_out;
            continue;
        }
        const double most = static_cast<double>(kMostNotes - out.notes.size()) * kMaxDivisor;
        if (units > most) {
            out.too_many = true;
            break;
        }
        const auto total = static_cast<std::uint64_t>(units);
        const std::uint64_t pieces = (total + kMaxDivisor - 1) / kMaxDivisor;
        out.repeated += pieces > 1;
        for (std::uint64_t p = 0; p < pieces; ++p) {
            const auto divisor = static_cast<unsigned>(total / pieces + (p < total % pieces ? 1 : 0));
            out.notes.push_back({e.row, divisor});
            now += note_seconds(type, e.row, divisor);
        }
    }
    out.seconds = now;
    return out;
}

const std::string& DurationTexts::text(int row, unsigned divisor)
{
    // In output type 3 the divisor does not depend on the note.
    const std::uint64_t key = (type_ == 3 ? 0 : static_cast<std::uint64_t>(row) << 32) | divisor;
    auto found = known_.find(key);
    if (found == known_.end())
        found = known_.emplace(key, find(row, divisor)).first;
    return found->second;
}

std::string DurationTexts::find(int row, unsigned divisor) const
{
    const float freq = notes_freq[row][1];
    const auto want = static_cast<int>(divisor);
    // melvox's divisor of d, with "too long" (0) read as past every divisor.
    auto divisor_of = [&](float d) {
        const int got = compute_diviseur(type_, freq, d, tempo_);
        return got == 0 ? static_cast<int>(kMaxDivisor) + 1 : got;
    };
    // Positive floats are ordered like their bit patterns: the run's ends by bisection, within
    // a bracket around the exact duration of the divisor when it holds, else over all floats.
    const unsigned units_by_tempo = divisor * static_cast<unsigned>(tempo_);  // the tempo is positive
    const double exact = type_ == 3 ? units_by_tempo / 3960.0 : units_by_tempo / (60.0 * static_cast<double>(freq));
    auto bits_of = [](double d) {
        const float f = static_cast<float>(d);
        std::uint32_t b;
        std::memcpy(&b, &f, sizeof b);
        return b;
    };
    auto first_bits_with = [&](auto at_or_past) {
        std::uint32_t low = 1, high = 0x7F800000u;  // the smallest positive float, infinity
        const double below = exact * (want - 1.5) / want, above = exact * (want + 0.5) / want;
        if (below > 1e-30 && above < 1e30 && !at_or_past(divisor_of(from_bits(bits_of(below)))) &&
            at_or_past(divisor_of(from_bits(bits_of(above))))) {
            low = bits_of(below);
            high = bits_of(above);
        }
        while (low < high) {
            const std::uint32_t mid = low + (high - low) / 2;
            if (at_or_past(divisor_of(from_bits(mid))))
                high = mid;
            else
                low = mid + 1;
        }
        return low;
    };
    const std::uint32_t low = first_bits_with([want](int got) { return got >= want; });
    const std::uint32_t past = first_bits_with([want](int got) { return got > want; });
    if (low >= past)
        return {};
    const double first = static_cast<double>(from_bits(low));
    const double last = static_cast<double>(from_bits(past - 1));  // the duration that lasts exactly `divisor` units
    // The fewest decimals that reach into the run, and with them the number nearest to its
    // last duration; each text read back as melvox reads it (through double, then float).
    char text[512];  // "%.60f" of the largest float
    double scale = 1;
    for (int k = 0; k <= kMostDecimals; ++k, scale *= 10) {
        const double from = std::ceil(first * scale);
        const double to = std::floor(last * scale);
        if (!(to < kExactDigits))
            break;
        if (from > to)
            continue;
        const double nearest = std::min(to, std::max(from, std::nearbyint(last * scale)));
        for (double candidate : {nearest, nearest - 1, nearest + 1}) {
            const auto digits = static_cast<unsigned long long>(candidate);
            const auto whole = static_cast<unsigned long long>(scale);
            const int size = std::snprintf(text, sizeof text, "%llu", digits / whole);
            if (k > 0)
                std::snprintf(text + size, sizeof text - static_cast<std::size_t>(size), ".%0*llu", k, digits % whole);
            if (divisor_of(read_duration(text)) == want)
                return text;
        }
    }
    for (int k = kMostDecimals + 1; k <= 60; ++k) {
        std::snprintf(text, sizeof text, "%.*f", k, last);
        if (divisor_of(read_duration(text)) == want)
            return text;
    }
    return {};
}

}  // namespace melmidi
