// Small Standard MIDI Files made in the tests: tracks of notes, tempo changes and other
// events at absolute ticks, written with delta times, with or without running status.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace midi_test {

inline std::string vlq(std::uint32_t v)
{
    std::string out(1, static_cast<char>(v & 0x7F));
    while (v >>= 7)
        out.insert(out.begin(), static_cast<char>(0x80 | (v & 0x7F)));
    return out;
}

inline std::string be(std::uint32_t v, int bytes)
{
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>(v >> (8 * i) & 0xFF);
    return out;
}

inline std::string chunk(const std::string& type, const std::string& data)
{
    return type + be(static_cast<std::uint32_t>(data.size()), 4) + data;
}

inline std::string header(int format, int tracks, unsigned division)
{
    return chunk("MThd", be(static_cast<std::uint32_t>(format), 2) + be(static_cast<std::uint32_t>(tracks), 2) +
                             be(division, 2));
}

class Track {
public:
    // A note from `start` to `end` on channel 1 to 16: a note-on, and a note-on of velocity 0
    // (or a note-off, 0x8n) to end it.
    Track& note(std::uint64_t start, std::uint64_t end, int key, int channel = 1, bool note_off = false)
    {
        const auto ch = static_cast<char>(channel - 1);
        add(start, 1, std::string{static_cast<char>(0x90 | ch), static_cast<char>(key), 100});
        add(end, 0, std::string{static_cast<char>((note_off ? 0x80 : 0x90) | ch), static_cast<char>(key), 0});
        return *this;
    }
    Track& tempo(std::uint64_t tick, double bpm)
    {
        return meta(tick, 0x51, be(static_cast<std::uint32_t>(std::lround(60e6 / bpm)), 3));
    }
    Track& meta(std::uint64_t tick, int type, const std::string& data)
    {
        return add(
            tick, 1,
            "\xFF" + std::string(1, static_cast<char>(type)) + vlq(static_cast<std::uint32_t>(data.size())) + data);
    }
    Track& sysex(std::uint64_t tick, const std::string& data)
    {
        return add(tick, 1, "\xF0" + vlq(static_cast<std::uint32_t>(data.size())) + data);
    }
    // Any event's bytes, status byte included.
    Track& event(std::uint64_t tick, const std::string& bytes) { return add(tick, 1, bytes); }

    // The MTrk chunk; at one tick the ends of notes come first. With `running`, a channel
    // message with the status of the one before goes without it.
    std::string mtrk(bool running = false, bool end_of_track = true) const
    {
        std::vector<Event> events = events_;
        std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        std::string data;
        std::uint64_t now = 0;
        unsigned status = 0;
        for (const Event& e : events) {
            data += vlq(static_cast<std::uint32_t>(e.tick - now));
            now = e.tick;
            const auto first = static_cast<unsigned char>(e.bytes[0]);
            if (running && first < 0xF0 && first == status) {
                data += e.bytes.substr(1);
            } else {
                data += e.bytes;
                status = first < 0xF0 ? first : status;
            }
        }
        if (end_of_track)
            data += vlq(0) + std::string("\xFF\x2F\x00", 3);
        return chunk("MTrk", data);
    }

private:
    struct Event {
        std::uint64_t tick;
        int order;  // 0: a note's end, 1: anything else
        std::string bytes;
    };
    Track& add(std::uint64_t tick, int order, const std::string& bytes)
    {
        events_.push_back({tick, order, bytes});
        return *this;
    }
    std::vector<Event> events_;
};

}  // namespace midi_test
