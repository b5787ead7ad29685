#include "timing.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "pitch.h"

namespace melmidi {

namespace {

constexpr double kDefaultUsecPerQuarter = 500000.0;  // 120 beats per minute
constexpr int kRestRow = 1;

}  // namespace

TempoMap::TempoMap(const MidiFile& file)
{
    if (file.smpte_fps != 0) {
        // Time code: ticks of a frame, frames of a second; tempo changes do not apply.
        pieces_.push_back({0, 0.0, 1.0 / (file.smpte_fps * file.ticks)});
        return;
    }
    const double quarter_ticks = file.ticks;
    pieces_.push_back({0, 0.0, kDefaultUsecPerQuarter / 1e6 / quarter_ticks});
    for (const TempoChange& t : file.tempos) {
        const Piece& last = pieces_.back();
        const double at = last.seconds + static_cast<double>(t.tick - last.tick) * last.per_tick;
        const double per_tick = t.usec_per_quarter / 1e6 / quarter_ticks;
        if (t.tick == last.tick)
            pieces_.back().per_tick = per_tick;  // the later of two changes at one tick holds
        else
            pieces_.push_back({t.tick, at, per_tick});
    }
}

double TempoMap::seconds(std::uint64_t tick) const
{
    auto after = std::upper_bound(pieces_.begin(), pieces_.end(), tick,
                                  [](std::uint64_t t, const Piece& p) { return t < p.tick; });
    const Piece& p = *(after - 1);
    return p.seconds + static_cast<double>(tick - p.tick) * p.per_tick;
}

int first_tempo(const MidiFile& file)
{
    if (file.smpte_fps != 0 || file.tempos.empty())
        return kDefaultTempo;
    const double bpm = 60e6 / file.tempos.front().usec_per_quarter;
    return std::max(1, static_cast<int>(std::lround(bpm)));
}

Elements make_elements(const Voice& voice, const TempoMap& map, int transpose)
{
    Elements out;
    if (voice.melody.empty())
        return out;
    const double origin = map.seconds(voice.melody.front().start);
    out.lead = origin;
    out.list.reserve(voice.melody.size() * 2);
    // Rows by key (transposed keys run from -127 to 254), found once each.
    constexpr int kLowestKey = -128;
    int rows[512];
    bool moved[512];
    std::fill(std::begin(rows), std::end(rows), 0);
    for (const Segment& s : voice.melody) {
        const double start = map.seconds(s.start) - origin;
        if (!out.list.empty() && start > out.list.back().end) {
            if (start - out.list.back().end < kShortestGap) {
                out.list.back().end = start;
            } else {
                out.list.push_back({kRestRow, start});
                ++out.rests;
            }
        }
        const auto k = static_cast<std::size_t>(s.key + transpose - kLowestKey);
        if (rows[k] == 0)
            rows[k] = key_row(s.key + transpose, moved[k]);
        out.moved += moved[k];
        out.list.push_back({rows[k], map.seconds(s.end) - origin});
    }
    return out;
}

}  // namespace melmidi
