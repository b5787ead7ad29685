// Chunks: a four-letter type and a 32-bit big-endian length. "MThd" first, then the tracks
// ("MTrk"); a chunk of any other type is skipped, as the file format asks. Inside a track:
// a delta time (a variable-length number), then an event: a channel message (with running
// status: data bytes may follow without their status byte), a system exclusive message
// (F0 or F7 and a length) or a meta event (FF, its type and a length).
#include "smf.h"

#include <algorithm>
#include <cstdio>

namespace melmidi {

namespace {

constexpr std::size_t kChunkHeader = 8;
constexpr std::size_t kMinHeaderLength = 6;
constexpr int kMaxVlqBytes = 4;
constexpr unsigned char kMetaEndOfTrack = 0x2F;
constexpr unsigned char kMetaTempo = 0x51;

std::uint32_t be32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

unsigned be16(const unsigned char* p)
{
    return static_cast<unsigned>(p[0]) << 8 | p[1];
}

std::string hex_byte(unsigned b)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", b & 0xFFu);
    return text;
}

// Data bytes of a channel message by its status nibble 8 to E.
constexpr int kDataBytes[16] = {0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 2, 2, 1, 1, 2, 0};

// One MTrk chunk, read event by event from `p` to `end`; `base` is the file's first byte.
class TrackReader {
public:
    TrackReader(const unsigned char* base, const unsigned char* p, const unsigned char* end, std::size_t chunk)
        : base_(base), p_(p), end_(end), chunk_(chunk)
    {
    }

    // The first reading checks every event and collects the tempo changes and the channels
    // with notes; a later one, with `notes`, keeps the notes of the channels of `wanted`.
    bool read(Track& track, std::vector<TempoChange>* tempos, MidiError& error, std::vector<NoteEvent>* notes = nullptr,
              unsigned wanted = 0)
    {
        std::uint64_t tick = 0;
        unsigned status = 0;  // of the last channel message, for running status
        while (p_ < end_) {
            std::uint32_t delta;
            if (!vlq(delta, error))
                return false;
            tick += delta;
            if (p_ >= end_)
                return past_end(error);
            const unsigned byte = *p_;
            if (byte < 0x80) {
                if (status == 0)
                    return fail(error, "data byte " + hex_byte(byte) + " without a status byte");
            } else if (byte < 0xF0) {
                status = byte;
                ++p_;
            } else if (byte == 0xFF) {
                ++p_;
                bool end_of_track = false;
                if (!meta(tick, tempos, end_of_track, error))
                    return false;
                if (end_of_track) {
                    track.end_tick = tick;
                    return true;  // what follows in the chunk is no part of the track
                }
                continue;
            } else if (byte == 0xF0 || byte == 0xF7) {
                ++p_;
                std::uint32_t length;
                if (!vlq(length, error) || !skip(length, error))
                    return false;
                continue;
            } else {
                return fail(error, "status byte " + hex_byte(byte) + " is not allowed in a MIDI file");
            }
            if (!channel_message(status, tick, track, notes, wanted, error))
                return false;
        }
        track.end_tick = tick;
        return true;
    }

private:
    bool fail(MidiError& error, const std::string& what, const unsigned char* at = nullptr)
    {
        error.offset = static_cast<std::size_t>((at ? at : p_) - base_);
        error.what = "bad chunk: " + what;
        return false;
    }

    bool past_end(MidiError& error)
    {
        char what[96];
        std::snprintf(what, sizeof what, "an event runs past the end of the MTrk chunk at offset %zu", chunk_);
        return fail(error, what);
    }

    bool vlq(std::uint32_t& value, MidiError& error)
    {
        const unsigned char* start = p_;
        value = 0;
        for (int i = 0; i < kMaxVlqBytes; ++i) {
            if (p_ >= end_)
                return past_end(error);
            const unsigned byte = *p_++;
            value = value << 7 | (byte & 0x7Fu);
            if (byte < 0x80)
                return true;
        }
        return fail(error, "a variable-length number longer than 4 bytes", start);
    }

    bool skip(std::uint32_t n, MidiError& error)
    {
        if (static_cast<std::size_t>(end_ - p_) < n)
            return past_end(error);
        p_ += n;
        return true;
    }

    bool meta(std::uint64_t tick, std::vector<TempoChange>* tempos, bool& end_of_track, MidiError& error)
    {
        if (p_ >= end_)
            return past_end(error);
        const unsigned char* type_at = p_;
        const unsigned type = *p_++;
        std::uint32_t length;
        if (!vlq(length, error))
            return false;
        const unsigned char* data = p_;
        if (!skip(length, error))
            return false;
        if (type == kMetaEndOfTrack) {
            end_of_track = true;
        } else if (type == kMetaTempo) {
            if (length != 3)
                return fail(error, "a tempo event of " + std::to_string(length) + " bytes, expected 3", type_at);
            const std::uint32_t usec =
                static_cast<std::uint32_t>(data[0]) << 16 | static_cast<std::uint32_t>(data[1]) << 8 | data[2];
            if (usec == 0)
                return fail(error, "a tempo of 0 microseconds per quarter note", data);
            if (tempos)
                tempos->push_back({tick, usec});
        }
        return true;
    }

    bool channel_message(unsigned status, std::uint64_t tick, Track& track, std::vector<NoteEvent>* notes,
                         unsigned wanted, MidiError& error)
    {
        const int n = kDataBytes[status >> 4];
        if (end_ - p_ < n)
            return past_end(error);
        if (p_[0] >= 0x80 || (n == 2 && p_[1] >= 0x80)) {
            const unsigned char* bad = p_[0] >= 0x80 ? p_ : p_ + 1;
            return fail(error, "byte " + hex_byte(*bad) + " where a data byte was expected", bad);
        }
        const unsigned kind = status >> 4;
        if (kind == 0x9 || kind == 0x8) {
            const unsigned channel = status & 0x0F;
            const bool on = kind == 0x9 && p_[1] != 0;
            track.channels |= static_cast<unsigned>(on) << channel;
            if (notes && (wanted >> channel & 1u))
                notes->push_back({tick, static_cast<std::uint8_t>(channel), p_[0], on});
        }
        p_ += n;
        return true;
    }

    const unsigned char* base_;
    const unsigned char* p_;
    const unsigned char* end_;
    std::size_t chunk_;
};

bool cut_short(MidiError& error, std::size_t offset, const std::string& what)
{
    error.offset = offset;
    error.what = "file cut short: " + what;
    return false;
}

bool printable_type(const unsigned char* p)
{
    return std::all_of(p, p + 4, [](unsigned char c) { return c >= 0x20 && c < 0x7F; });
}

bool read_header(const unsigned char* bytes, std::size_t size, MidiFile& file, MidiError& error)
{
    if (size < 4 || !std::equal(bytes, bytes + 4, "MThd")) {
        error = {0, "not a MIDI file (it does not start with MThd)"};
        return false;
    }
    const std::uint32_t length = size >= kChunkHeader ? be32(bytes + 4) : 0;
    if (size >= kChunkHeader && length < kMinHeaderLength) {
        error = {4, "bad chunk: MThd of " + std::to_string(length) + " bytes, expected 6"};
        return false;
    }
    if (size < kChunkHeader + kMinHeaderLength)
        return cut_short(error, size, "the MThd header needs 14 bytes");
    if (length > size - kChunkHeader)
        return cut_short(error, size, "the MThd chunk declares " + std::to_string(length) + " bytes");
    file.format = static_cast<int>(be16(bytes + 8));
    file.declared_tracks = static_cast<int>(be16(bytes + 10));
    const unsigned division = be16(bytes + 12);
    if (file.format > 1) {
        error = {8, "MIDI format " + std::to_string(file.format) + ", only formats 0 and 1 are read"};
        return false;
    }
    if (file.declared_tracks == 0) {
        error = {10, "the file declares no track"};
        return false;
    }
    if (division & 0x8000u) {
        // Frames per second as a negative byte (29 stands for 29.97), then ticks per frame.
        const int fps = 256 - static_cast<int>(division >> 8);
        file.ticks = division & 0xFFu;
        file.smpte_fps = fps == 29 ? 30000.0 / 1001.0 : fps;
        if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || file.ticks == 0) {
            error = {12, "bad time division " + hex_byte(division >> 8) + hex_byte(division).substr(2)};
            return false;
        }
    } else {
        file.ticks = division;
        if (division == 0) {
            error = {12, "a time division of 0 ticks per quarter note"};
            return false;
        }
    }
    return true;
}

}  // namespace

bool read_midi(const unsigned char* bytes, std::size_t size, MidiFile& file, MidiError& error)
{
    file = MidiFile{};
    file.bytes = bytes;
    if (!read_header(bytes, size, file, error))
        return false;
    std::size_t at = kChunkHeader + be32(bytes + 4);
    while (static_cast<int>(file.tracks.size()) < file.declared_tracks) {
        if (size - at < kChunkHeader) {
            return cut_short(
                error, size,
                std::to_string(file.tracks.size()) + " of " + std::to_string(file.declared_tracks) + " tracks found");
        }
        const unsigned char* chunk = bytes + at;
        if (!printable_type(chunk)) {
            error = {at, "bad chunk: its type is not four letters"};
            return false;
        }
        const std::uint32_t length = be32(chunk + 4);
        if (length > size - at - kChunkHeader) {
            return cut_short(error, size,
                             "the " + std::string(reinterpret_cast<const char*>(chunk), 4) + " chunk at offset " +
                                 std::to_string(at) + " declares " + std::to_string(length) + " bytes, " +
                                 std::to_string(size - at - kChunkHeader) + " are there");
        }
        if (std::equal(chunk, chunk + 4, "MTrk")) {
            file.tracks.emplace_back();
            Track& track = file.tracks.back();
            track.chunk = at;
            track.data = at + kChunkHeader;
            track.size = length;
            TrackReader reader(bytes, chunk + kChunkHeader, chunk + kChunkHeader + length, at);
            if (!reader.read(track, &file.tempos, error))
                return false;
        }
        at += kChunkHeader + length;
    }
    std::stable_sort(file.tempos.begin(), file.tempos.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    return true;
}

void read_notes(const MidiFile& file, const Track& track, unsigned channels, std::vector<NoteEvent>& notes)
{
    Track again;
    MidiError unused;
    TrackReader reader(file.bytes, file.bytes + track.data, file.bytes + track.data + track.size, track.chunk);
    reader.read(again, nullptr, unused, &notes, channels);
}

}  // namespace melmidi
