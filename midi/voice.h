// The voice melmidi turns into a score: the notes of one track or channel, reduced to the
// highest note sounding at each moment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "smf.h"

namespace melmidi {

constexpr int kDrumChannel = 10;

// What the command line asks for: 0 where it leaves the choice to melmidi.
struct VoiceChoice {
    int track = 0;    // -k: 1 to the number of tracks, in file order
    int channel = 0;  // -c: 1 to 16
};

// A stretch of time in which one note is the highest sounding, in ticks.
struct Segment {
    int key = 0;
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};

struct Voice {
    int track = 0;                // 1-based, or 0 for the notes of every track
    unsigned channels = 0;        // bit c-1: channel c gave notes
    std::vector<Segment> melody;  // in time order, never overlapping
    std::size_t notes = 0;        // note-on events of the voice
    std::size_t dropped = 0;      // never the highest: left out
    std::size_t cut = 0;          // the highest only part of the time: shortened or interrupted
};

// The voice of `choice` in `file`; false with a one-line message (without its newline) when
// the choice names no track, or the voice has no note.
bool select_voice(const MidiFile& file, const VoiceChoice& choice, Voice& voice, std::string& error);

// "track 2, channel 1", "every track, channels 1, 2", "track 1" (every channel).
std::string describe_voice(int track, unsigned channels);

}  // namespace melmidi
