// MIDI files made by the test helper, each converted with its options: the score text (or
// the message) is the one written here, and the score, compiled by melvox's own compiler,
// plays every note at its time in the file within one unit and at its pitch.
#include <gtest/gtest.h>

#include <random>

#include "midi_builder.h"
#include "run.h"
#include "stream_time.h"

namespace {

using midi_test::Expected;
using midi_test::Track;

constexpr unsigned kPpq = 480;  // ticks per quarter note of every file here
constexpr int kRest = -1;

// A file with what the drift check needs to know of it.
struct Piece {
    std::string bytes;
    std::vector<std::pair<std::uint64_t, double>> tempos;  // tick, beats per minute; 120 before the first
};

double seconds_at(const Piece& p, std::uint64_t tick)
{
    double at = 0, bpm = 120;
    std::uint64_t from = 0;
    for (const auto& [t, b] : p.tempos) {
        if (t > tick)
            break;
        at += static_cast<double>(t - from) * 60.0 / (bpm * kPpq);
        from = t;
        bpm = b;
    }
    return at + static_cast<double>(tick - from) * 60.0 / (bpm * kPpq);
}

std::string format0(const Track& t, bool running = false)
{
    return midi_test::header(0, 1, kPpq) + t.mtrk(running);
}

std::string format1(const std::vector<Track>& tracks)
{
    std::string s = midi_test::header(1, static_cast<int>(tracks.size()), kPpq);
    for (const Track& t : tracks)
        s += t.mtrk();
    return s;
}

// C4 D4 E4 F4 as MIDI keys 72 74 76 77, a quarter note each.
Track scale(int channel = 1)
{
    Track t;
    for (unsigned i = 0; i < 4; ++i)
        t.note(i * kPpq, (i + 1) * kPpq, std::vector<int>{72, 74, 76, 77}[i], channel);
    return t;
}

struct Case {
    const char* name;
    Piece piece;
    melmidi::Options options;
    const char* score;                                  // or the message, when it starts with no digit
    std::vector<std::pair<int, std::uint64_t>> melody;  // MIDI key (kRest) and start tick of each element
    std::uint64_t end = 0;                              // tick at which the last element ends
};

melmidi::Options with(int type, int track = 0, int channel = 0, int transpose = 0, int tempo = 0)
{
    melmidi::Options o;
    o.type = type;
    o.voice.track = track;
    o.voice.channel = channel;
    o.transpose = transpose;
    o.tempo = tempo;
    return o;
}

std::vector<Case> cases()
{
    const Track two_tempos = Track(scale()).tempo(0, 120).tempo(kPpq, 90).tempo(3 * kPpq, 150);
    Track chord;
    // C E G struck together; G ends first, C is held longest: C sounds on after G.
    chord.note(0, 2 * kPpq, 72).note(0, kPpq, 76).note(0, kPpq / 2, 79).note(2 * kPpq, 3 * kPpq, 74);
    Track legato;
    // One-tick gaps between the first three notes, a gap of an eighth before the last.
    legato.note(0, kPpq - 1, 72)
        .note(kPpq, 2 * kPpq - 1, 74)
        .note(2 * kPpq, 3 * kPpq, 76)
        .note(3 * kPpq + kPpq / 2, 4 * kPpq, 77);
    Track range;
    range.note(0, kPpq, 12).note(kPpq, 2 * kPpq, 127).note(2 * kPpq, 3 * kPpq, 69);
    Track drums;
    drums.note(0, kPpq / 4, 36, 10).note(kPpq, kPpq + kPpq / 4, 38, 10);
    Track conductor;
    conductor.tempo(0, 100).meta(0, 0x03, "Conductor").meta(0, 0x58, std::string("\x04\x02\x18\x08", 4));
    Track bass;
    bass.note(0, 2 * kPpq, 48, 2).note(2 * kPpq, 4 * kPpq, 43, 2);
    Track events = scale();
    events.sysex(kPpq / 2, std::string("\x7E\x7F\x09\x01\xF7", 5))
        .event(kPpq / 3, std::string("\xB0\x07\x64", 3))
        .event(kPpq / 3, std::string("\xE0\x00\x40", 3))
        .event(kPpq / 3, std::string("\xC0\x05", 2))
        .meta(kPpq, 0x01, "text");
    const std::vector<std::pair<int, std::uint64_t>> scale_melody = {
        {72, 0}, {74, kPpq}, {76, 2 * kPpq}, {77, 3 * kPpq}};

    return {
        {"format 0 with running status, type 3",
         {format0(scale(), true), {}},
         with(3),
         "120\nC4 1\nD4 1\nE4 1\nF4 1\n",
         scale_melody,
         4 * kPpq},
        {"format 0 with running status, type 1",
         {format0(scale(), true), {}},
         with(1),
         "120\nC4 0.999\nD4 0.999\nE4 1\nF4 0.999\n",
         scale_melody,
         4 * kPpq},
        {"sysex, controllers, program change and text skipped",
         {format0(events, true), {}},
         with(3),
         "120\nC4 1\nD4 1\nE4 1\nF4 1\n",
         scale_melody,
         4 * kPpq},
        {"two tempo changes folded into the durations",
         {format0(two_tempos), {{0, 120}, {kPpq, 90}, {3 * kPpq, 150}}},
         with(3),
         "120\nC4 1\nD4 1.33\nE4 1.33\nF4 0.78\n",
         scale_melody,
         4 * kPpq},
        {"two tempo changes, type 1",
         {format0(two_tempos), {{0, 120}, {kPpq, 90}, {3 * kPpq, 150}}},
         with(1),
         "120\nC4 0.999\nD4 1.333\nE4 1.334\nF4 0.799\n",
         scale_melody,
         4 * kPpq},
        {"-b: sets the score tempo, the time stays",
         {format0(two_tempos), {{0, 120}, {kPpq, 90}, {3 * kPpq, 150}}},
         with(3, 0, 0, 0, 60),
         "60\nC4 0.5\nD4 0.66\nE4 0.66\nF4 0.39\n",
         scale_melody,
         4 * kPpq},
        {"a chord: the highest note, the lower one held sounds on",
         {format0(chord), {}},
         with(3),
         "120\nG4 0.5\nE4 0.48\nC4 1\nD4 1\n",
         {{79, 0}, {76, kPpq / 2}, {72, kPpq}, {74, 2 * kPpq}},
         3 * kPpq},
        {"one-tick gaps go to the note before, an eighth is a rest",
         {format0(legato), {}},
         with(3),
         "120\nC4 1\nD4 1\nE4 1\nREST 0.5\nF4 0.48\n",
         {{72, 0}, {74, kPpq}, {76, 2 * kPpq}, {kRest, 3 * kPpq}, {77, 3 * kPpq + kPpq / 2}},
         4 * kPpq},
        {"notes out of the table moved by octaves",
         {format0(range), {}},
         with(3),
         "120\nC1 1\nG7 1\nA3 1\n",
         {{36, 0}, {115, kPpq}, {69, 2 * kPpq}},
         3 * kPpq},
        {"-x transposes",
         {format0(scale()), {}},
         with(3, 0, 0, -12),
         "120\nC3 1\nD3 1\nE3 1\nF3 1\n",
         scale_melody,
         4 * kPpq},
        {"format 1: the first track with notes outside the drums",
         {format1({conductor, drums, scale(), bass}), {{0, 100}}},
         with(3),
         "100\nC4 1\nD4 0.98\nE4 1\nF4 0.98\n",
         scale_melody,
         4 * kPpq},
        {"format 1: -k chooses the track",
         {format1({conductor, drums, scale(), bass}), {{0, 100}}},
         with(3, 4),
         "100\nC2 1.99\nG1 1.99\n",
         {{48, 0}, {43, 2 * kPpq}},
         4 * kPpq},
        {"format 1: -c chooses the channel",
         {format1({conductor, drums, scale(), bass}), {{0, 100}}},
         with(3, 0, 2),
         "100\nC2 1.99\nG1 1.99\n",
         {{48, 0}, {43, 2 * kPpq}},
         4 * kPpq},
        {"format 1: -c:10 takes the drums",
         {format1({conductor, drums, scale(), bass}), {{0, 100}}},
         with(3, 0, 10),
         "100\nC1 0.25\nREST 0.75\nD1 0.22\n",
         {{36, 0}, {kRest, kPpq / 4}, {38, kPpq}},
         kPpq + kPpq / 4},
        {"format 0: the lowest channel but the drums",
         {format0(Track(scale(3)).note(0, kPpq, 40, 10)), {}},
         with(3),
         "120\nC4 1\nD4 1\nE4 1\nF4 1\n",
         scale_melody,
         4 * kPpq},
        {"a track that does not exist",
         {format0(scale()), {}},
         with(3, 2),
         "Track 2 does not exist: the file has 1 track.\n",
         {},
         0},
        {"only drums",
         {format0(drums), {}},
         with(3),
         "No notes in track 1, every channel but 10. Choose a voice with -c:channel or -k:track.\n",
         {},
         0},
    };
}

TEST(Conversion, ScoresAndMessagesAsWritten)
{
    for (const Case& c : cases()) {
        const auto& b = c.piece.bytes;
        const melmidi::Conversion got =
            melmidi::convert(reinterpret_cast<const unsigned char*>(b.data()), b.size(), c.options);
        EXPECT_EQ(got.score.empty() ? got.error : got.score, c.score) << c.name;
        if (c.melody.empty())
            continue;
        std::vector<Expected> want;
        const double origin = seconds_at(c.piece, c.melody.front().second);
        for (const auto& [key, tick] : c.melody)
            want.push_back({key == kRest ? 1 : key - 24 + c.options.transpose, seconds_at(c.piece, tick) - origin});
        midi_test::expect_no_drift(got.score, c.options.type, want, seconds_at(c.piece, c.end) - origin, c.name);
    }
}

}  // namespace

namespace {

// A long tune: 3000 notes of random lengths and keys, one-tick legato gaps, real rests, and a
// tempo change every 50 notes; in both output types every note stays within a unit.
TEST(Conversion, NoDriftOverALongPiece)
{
    std::mt19937 random(22);
    auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    Track t;
    Piece piece;
    std::vector<std::pair<int, std::uint64_t>> melody;
    std::uint64_t now = 0, last_end = 0;
    for (int i = 0; i < 3000; ++i) {
        if (i % 50 == 0) {
            // A tempo the file holds exactly, in whole microseconds per quarter note.
            const double bpm = 60e6 / std::round(60e6 / (pick(40, 220) + pick(0, 99) / 100.0));
            piece.tempos.push_back({now, bpm});
            t.tempo(now, piece.tempos.back().second);
        }
        const auto length = static_cast<std::uint64_t>(pick(20, 1000));
        const int key = pick(30, 110);
        t.note(now, now + length, key);
        melody.push_back({key, now});
        now += length;
        last_end = now;
        switch (pick(0, 3)) {
        case 0: now += 1; break;  // legato: goes to the note
        case 1:
            melody.push_back({kRest, now});
            now += static_cast<std::uint64_t>(pick(60, 900));  // at least 15 ms at the fastest tempo
            break;
        default: break;
        }
    }
    piece.bytes = format0(t, true);
    std::vector<Expected> want;
    for (const auto& [key, tick] : melody)
        want.push_back({key == kRest ? 1 : key - 24, seconds_at(piece, tick)});
    if (melody.back().first == kRest)
        want.pop_back();  // the score ends with the last note
    for (int type : {1, 3}) {
        const auto& b = piece.bytes;
        const melmidi::Conversion got =
            melmidi::convert(reinterpret_cast<const unsigned char*>(b.data()), b.size(), with(type));
        ASSERT_EQ(got.error, "");
        midi_test::expect_no_drift(got.score, type, want, seconds_at(piece, last_end),
                                   "long piece, type " + std::to_string(type));
    }
}

}  // namespace

namespace {

// Files that are no MIDI file, cut short or with a bad chunk: the message names the offset.
TEST(Conversion, FaultyFilesNameTheOffset)
{
    using midi_test::chunk;
    using midi_test::header;
    const std::string good = format0(scale());
    const std::string hd = header(0, 1, kPpq);
    const struct {
        const char* name;
        std::string bytes;
        const char* message;
    } rows[] = {
        {"empty", "", "Offset 0: not a MIDI file (it does not start with MThd).\n"},
        {"text", "120 C4 1\n", "Offset 0: not a MIDI file (it does not start with MThd).\n"},
        {"header cut", good.substr(0, 10), "Offset 10: file cut short: the MThd header needs 14 bytes.\n"},
        {"track cut", good.substr(0, good.size() - 5),
         "Offset 57: file cut short: the MTrk chunk at offset 14 declares 40 bytes, 35 are there.\n"},
        {"no track chunk", hd, "Offset 14: file cut short: 0 of 1 tracks found.\n"},
        {"format 2", header(2, 1, kPpq) + chunk("MTrk", ""),
         "Offset 8: MIDI format 2, only formats 0 and 1 are read.\n"},
        {"short MThd", chunk("MThd", std::string(4, '\0')), "Offset 4: bad chunk: MThd of 4 bytes, expected 6.\n"},
        {"chunk type not letters", hd + chunk(std::string("\x01\x02\x03\x04", 4), ""),
         "Offset 14: bad chunk: its type is not four letters.\n"},
        {"data byte first", hd + chunk("MTrk", std::string("\x00\x40\x40", 3)),
         "Offset 23: bad chunk: data byte 0x40 without a status byte.\n"},
        {"variable-length number of 5 bytes", hd + chunk("MTrk", std::string("\x81\x81\x81\x81\x01", 5)),
         "Offset 22: bad chunk: a variable-length number longer than 4 bytes.\n"},
        {"note-on cut by the chunk's end", hd + chunk("MTrk", std::string("\x00\x90\x40", 3)),
         "Offset 24: bad chunk: an event runs past the end of the MTrk chunk at offset 14.\n"},
        {"status byte as data", hd + chunk("MTrk", std::string("\x00\x90\x40\x90", 4)),
         "Offset 25: bad chunk: byte 0x90 where a data byte was expected.\n"},
        {"meta longer than its chunk", hd + chunk("MTrk", std::string("\x00\xFF\x01\x10text", 8)),
         "Offset 26: bad chunk: an event runs past the end of the MTrk chunk at offset 14.\n"},
        {"system common status", hd + chunk("MTrk", std::string("\x00\xF2\x00\x00", 4)),
         "Offset 23: bad chunk: status byte 0xF2 is not allowed in a MIDI file.\n"},
        {"tempo of 2 bytes", hd + chunk("MTrk", std::string("\x00\xFF\x51\x02\x07\xA1", 6)),
         "Offset 24: bad chunk: a tempo event of 2 bytes, expected 3.\n"},
        {"no notes", hd + chunk("MTrk", std::string("\x00\xFF\x2F\x00", 4)),
         "No notes in track 1, every channel but 10. Choose a voice with -c:channel or -k:track.\n"},
    };
    for (const auto& r : rows) {
        const melmidi::Conversion got =
            melmidi::convert(reinterpret_cast<const unsigned char*>(r.bytes.data()), r.bytes.size(), with(3));
        EXPECT_EQ(got.error, r.message) << r.name;
        EXPECT_EQ(got.score, "") << r.name;
    }
}

// Unknown chunks are skipped, and so is what follows the end of a track inside its chunk.
TEST(Conversion, UnknownChunksAndBytesAfterTheEndOfTrackAreSkipped)
{
    const std::string track = scale().mtrk();
    const std::string bytes = midi_test::header(0, 1, kPpq) + midi_test::chunk("XFIH", "anything") +
                              track.substr(0, 4) + midi_test::be(static_cast<std::uint32_t>(track.size() - 8 + 3), 4) +
                              track.substr(8) + std::string("\x00\x90\x40", 3);
    const melmidi::Conversion got =
        melmidi::convert(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), with(3));
    EXPECT_EQ(got.error, "");
    EXPECT_EQ(got.score, "120\nC4 1\nD4 1\nE4 1\nF4 1\n");
}

}  // namespace

namespace {

// 12000 notes, a phrase of eight played 1500 times: too long for melvox as it stands, and with
// -r written with its repeated passages once; compiled, it still keeps the file's time.
TEST(Conversion, RepeatedPassagesFoldWithR)
{
    const int phrase[8] = {72, 74, 76, 77, 79, 77, 76, 74};
    Track t;
    std::vector<Expected> want;
    for (std::uint64_t i = 0; i < 12000; ++i) {
        t.note(i * kPpq, (i + 1) * kPpq - 1, phrase[i % 8]);
        want.push_back({phrase[i % 8] - 24, static_cast<double>(i) * 0.5});
    }
    const std::string bytes = format0(t, true);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    EXPECT_EQ(melmidi::convert(data, bytes.size(), with(3)).error,
              "Score too long for melvox: 36001 stream bytes (at most 32000) and 60004 text bytes (at most 63999); "
              "-r writes its repeated passages once.\n");
    melmidi::Options r = with(3);
    r.repeats = true;
    const melmidi::Conversion got = melmidi::convert(data, bytes.size(), r);
    ASSERT_EQ(got.error, "");
    EXPECT_EQ(got.score.substr(0, 29), "120\nREPEAT 125\n  C4 1\n  D4 1\n");  // 96 notes played 125 times
    EXPECT_NE(got.report.find("Repeats: "), std::string::npos);
    midi_test::expect_no_drift(got.score, 3, want, 6000, "folded");
}

// A note longer than one divisor holds (B7 for 20 s in output type 1: 157538 periods) is
// written as the same note three times, and the rest after it is still on time.
TEST(Conversion, LongNotesAreRepeated)
{
    Track t;
    t.note(0, 40 * kPpq, 119).note(41 * kPpq, 42 * kPpq, 72);
    const std::string bytes = format0(t);
    const melmidi::Conversion got =
        melmidi::convert(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), with(1));
    ASSERT_EQ(got.error, "");
    const std::vector<midi_test::StreamNote> notes = midi_test::compile_and_unroll(got.score, 1);
    ASSERT_EQ(notes.size(), 5u) << got.score;
    EXPECT_EQ(notes[0].code, 95);
    EXPECT_EQ(notes[1].code, 95);
    EXPECT_EQ(notes[2].code, 95);
    EXPECT_EQ(notes[3].code, 1);
    double b7 = 0;
    for (int i = 0; i < 3; ++i)
        b7 += notes[static_cast<std::size_t>(i)].divisor / midi_test::code_rate(1, 95);
    EXPECT_NEAR(b7, 20.0, 0.5 / midi_test::code_rate(1, 95));
    EXPECT_NE(got.report.find("1 long element repeated"), std::string::npos) << got.report;
}

}  // namespace

namespace {

// A time code division (25 frames a second, 40 ticks a frame: 1000 ticks a second) has no
// tempo: the score's is 120, and a note of 1000 ticks lasts a second, two beats.
TEST(Conversion, TimeCodeDivision)
{
    Track t;
    t.note(0, 1000, 72).note(1000, 1500, 74);
    const std::string bytes = midi_test::header(0, 1, 0xE728) + t.mtrk();
    const melmidi::Conversion got =
        melmidi::convert(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), with(3));
    EXPECT_EQ(got.error, "");
    EXPECT_EQ(got.score, "120\nC4 2\nD4 1\n");
}

}  // namespace
