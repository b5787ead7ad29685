// A Standard MIDI File (formats 0 and 1) read into what melmidi needs: the note-on and
// note-off events of every track and the tempo changes, with absolute tick times. Every
// other event is checked for its length and skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace melmidi {

struct NoteEvent {
    std::uint64_t tick = 0;
    std::uint8_t channel = 0;  // 0 to 15 (channel 1 to 16)
    std::uint8_t key = 0;      // 0 to 127
    bool on = false;           // a note-on of velocity 0 is a note-off
};

struct TempoChange {
    std::uint64_t tick = 0;
    std::uint32_t usec_per_quarter = 0;
};

// A track as the first reading found it: its events are read again, and kept, only for the
// voice that is converted (a large file's other tracks would cost far more to keep).
struct Track {
    std::size_t data = 0;        // offset of the chunk's data in the file
    std::size_t size = 0;        // bytes of the chunk's data
    std::size_t chunk = 0;       // offset of the chunk
    unsigned channels = 0;       // bit c: a note-on on channel c + 1
    std::uint64_t end_tick = 0;  // of the last event read (the end of track, if there is one)
};

struct MidiFile {
    const unsigned char* bytes = nullptr;  // the file read, which must outlive this
    int format = 0;
    int declared_tracks = 0;
    // Ticks per quarter note; or, when smpte_fps is not 0, ticks per frame.
    unsigned ticks = 0;
    double smpte_fps = 0;
    std::vector<Track> tracks;
    std::vector<TempoChange> tempos;  // of every track, in tick order (file order among equals)
};

struct MidiError {
    std::size_t offset = 0;  // of the byte at fault
    std::string what;        // a sentence without the final full stop
};

// Reads and checks the whole file from its bytes; false with the first fault in `error`.
bool read_midi(const unsigned char* bytes, std::size_t size, MidiFile& file, MidiError& error);

// The note-on and note-off events of one track on the channels of the mask (bit c: channel
// c + 1), in file order, which is tick order; appended to `notes`. The track was checked.
void read_notes(const MidiFile& file, const Track& track, unsigned channels, std::vector<NoteEvent>& notes);

}  // namespace melmidi
