// The notes of the voice become intervals (a note-on to its note-off; a second note-on of a
// sounding key ends the first; a note still on at the end of its track ends there), and a
// sweep over their starts and ends keeps the highest one sounding: a lower note still held
// when the top note ends sounds on from there.
#include "voice.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace melmidi {

namespace {

constexpr unsigned kAllButDrums = 0xFFFFu & ~(1u << (kDrumChannel - 1));

struct Interval {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    int key = 0;
};

bool has_notes(const Track& track, unsigned channels)
{
    return (track.channels & channels) != 0;
}

// The lowest channel but the drums' with a note in `track`, as a mask; 0 when none.
unsigned first_channel(const Track& track)
{
    const unsigned seen = track.channels & kAllButDrums;
    return seen & (~seen + 1);
}

// Which tracks (1-based, 0 for all) and channels (a mask) the choice means.
bool resolve(const MidiFile& file, const VoiceChoice& choice, int& track, unsigned& channels, std::string& error)
{
    const int tracks = static_cast<int>(file.tracks.size());
    if (choice.track > tracks) {
        error = "Track " + std::to_string(choice.track) + " does not exist: the file has " + std::to_string(tracks) +
                (tracks == 1 ? " track." : " tracks.");
        return false;
    }
    channels = choice.channel ? 1u << (choice.channel - 1) : kAllButDrums;
    track = choice.track;
    if (tracks == 1)
        track = 1;
    if (track == 0 && choice.channel == 0) {
        for (int t = 1; t <= tracks && track == 0; ++t)
            if (has_notes(file.tracks[static_cast<std::size_t>(t - 1)], channels))
                track = t;
    }
    // A file of one track is read by channel: the first that has notes.
    if (tracks == 1 && choice.channel == 0) {
        const unsigned first = first_channel(file.tracks[0]);
        if (first)
            channels = first;
    }
    return true;
}

std::vector<Interval> intervals(const MidiFile& file, int track, unsigned channels, Voice& voice)
{
    std::vector<NoteEvent> events;
    std::size_t bytes = 0;
    for (std::size_t t = 0; t < file.tracks.size(); ++t)
        if (track == 0 || static_cast<int>(t) + 1 == track)
            bytes += file.tracks[t].size;
    events.reserve(bytes / 4);  // a note event takes at least 3 bytes and a delta time
    std::uint64_t end = 0;
    for (std::size_t t = 0; t < file.tracks.size(); ++t) {
        if (track != 0 && static_cast<int>(t) + 1 != track)
            continue;
        read_notes(file, file.tracks[t], channels, events);
        end = std::max(end, file.tracks[t].end_tick);
    }
    if (track == 0)
        std::stable_sort(events.begin(), events.end(),
                         [](const NoteEvent& a, const NoteEvent& b) { return a.tick < b.tick; });
    constexpr std::size_t kNone = ~std::size_t{0};
    std::vector<std::size_t> sounding(std::size_t{16} * 128, kNone);  // by channel and key: its interval
    std::vector<Interval> list;
    for (const NoteEvent& e : events) {
        std::size_t& open = sounding[e.channel * 128u + e.key];
        if (open != kNone) {
            list[open].end = e.tick;
            open = kNone;
        }
        if (e.on) {
            open = list.size();
            list.push_back({e.tick, e.tick, e.key});
            voice.channels |= 1u << e.channel;
        }
    }
    for (std::size_t open : sounding)
        if (open != kNone)
            list[open].end = end;
    return list;
}

// The sweep: at each tick the ends first, then the starts; the highest key sounds, the
// latest start among equal keys (a key struck again is heard again).
void keep_highest(const std::vector<Interval>& notes, Voice& voice)
{
    struct Point {
        std::uint64_t tick;
        bool start;
        std::size_t note;
    };
    std::vector<Point> points;
    points.reserve(notes.size() * 2);
    for (std::size_t i = 0; i < notes.size(); ++i) {
        if (notes[i].end == notes[i].start)
            continue;  // no time to sound in
        points.push_back({notes[i].start, true, i});
        points.push_back({notes[i].end, false, i});
    }
    std::sort(points.begin(), points.end(), [](const Point& a, const Point& b) {
        return std::tie(a.tick, a.start, a.note) < std::tie(b.tick, b.start, b.note);
    });
    auto higher = [&notes](std::size_t a, std::size_t b) {
        return std::make_tuple(notes[a].key, notes[a].start, a) > std::make_tuple(notes[b].key, notes[b].start, b);
    };
    std::set<std::size_t, decltype(higher)> held(higher);
    std::vector<std::uint64_t> on_top(notes.size(), 0);
    constexpr std::size_t kNone = ~std::size_t{0};
    std::size_t top = kNone;
    std::uint64_t since = 0;
    for (std::size_t i = 0; i < points.size();) {
        const std::uint64_t tick = points[i].tick;
        for (; i < points.size() && points[i].tick == tick; ++i) {
            if (points[i].start)
                held.insert(points[i].note);
            else
                held.erase(points[i].note);
        }
        const std::size_t now = held.empty() ? kNone : *held.begin();
        if (now == top)
            continue;
        if (top != kNone) {
            voice.melody.push_back({notes[top].key, since, tick});
            on_top[top] += tick - since;
        }
        top = now;
        since = tick;
    }
    for (std::size_t i = 0; i < notes.size(); ++i) {
        if (on_top[i] == 0)
            ++voice.dropped;
        else if (on_top[i] < notes[i].end - notes[i].start)
            ++voice.cut;
    }
}

}  // namespace

std::string describe_voice(int track, unsigned channels)
{
    std::string text = track ? "track " + std::to_string(track) : "every track";
    if (channels == kAllButDrums)
        return text + ", every channel but 10";
    std::string list;
    for (int c = 1; c <= 16; ++c)
        if (channels >> (c - 1) & 1u)
            list += (list.empty() ? "" : ", ") + std::to_string(c);
    return text + (list.find(',') == std::string::npos ? ", channel " : ", channels ") + list;
}

bool select_voice(const MidiFile& file, const VoiceChoice& choice, Voice& voice, std::string& error)
{
    voice = Voice{};
    int track = 0;
    unsigned channels = 0;
    if (!resolve(file, choice, track, channels, error))
        return false;
    voice.track = track;
    const std::vector<Interval> notes = intervals(file, track, channels, voice);
    voice.notes = notes.size();
    if (notes.empty()) {
        error = "No notes in " + describe_voice(track, channels) + ".";
        if (choice.channel == 0)
            error += " Choose a voice with -c:channel or -k:track.";
        return false;
    }
    keep_highest(notes, voice);
    return true;
}

}  // namespace melmidi
