#include "run.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "buffer_sizes.h"
#include "durations.h"
#include "output_file.h"
#include "same_file.h"
#include "score.h"
#include "smf.h"
#include "timing.h"
#include "voice.h"

namespace melmidi {

const char kBanner[] = "Melmidi 2026.12 - MIDI file to score converter\n";

namespace {

// What melvox accepts: a text with room for its final zero byte in its input buffer, and a
// stream that fits its output buffer.
constexpr std::size_t kMaxScoreText = kBufInSize - 1;
constexpr std::size_t kMaxStream = kBufOutSize;

std::string printed(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string printed(const char* fmt, ...)
{
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    return text;
}

std::string voice_line(const Voice& voice)
{
    return "Voice: " + describe_voice(voice.track, voice.channels) + ".\n";
}

std::string plural(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string report(const Voice& voice, int tempo, bool tempo_asked, const Elements& elements, const Placement& placed,
                   const std::vector<Block>& blocks, double midi_seconds)
{
    std::size_t rests = 0;
    for (const ScoreNote& n : placed.notes)
        rests += n.row == 1;
    std::string text = voice_line(voice);
    text += printed("Tempo: %d beats per minute%s.\n", tempo, tempo_asked ? " (-b)" : "");
    text += "Written: " + plural(placed.notes.size() - rests, "note", "notes") + ", " + plural(rests, "rest", "rests");
    if (placed.repeated)
        text += ", " + plural(placed.repeated, "long element", "long elements") + " repeated";
    if (placed.left_out)
        text += ", " + plural(placed.left_out, "element", "elements") + " too short left out";
    text += ".\n";
    text += "Chords: " + plural(voice.dropped, "note", "notes") + " dropped, " + std::to_string(voice.cut) +
            " cut short.\n";
    text += "Range: " + plural(elements.moved, "note", "notes") + " moved by octaves.\n";
    std::size_t sections = 0;
    for (const Block& b : blocks)
        sections += b.count != 0;
    if (sections)
        text += "Repeats: " + plural(sections, "passage", "passages") + " written once as REPEAT n ... END.\n";
    text += printed("Time: %.3f s, %.3f s in the MIDI file from the first note", placed.seconds, midi_seconds);
    if (elements.lead > 0)
        text += printed(" (%.3f s before it left out)", elements.lead);
    return text + ".\n";
}

std::string too_long(std::size_t stream, std::size_t text, bool repeats)
{
    return printed(
        "Score too long for melvox: %zu stream bytes (at most %zu) and %zu text bytes (at most %zu)%s.\n", stream,
        kMaxStream, text, kMaxScoreText,
        repeats ? ", even with its repeated passages written once" : "; -r writes its repeated passages once");
}

}  // namespace

Conversion convert(const unsigned char* bytes, std::size_t size, const Options& options)
{
    Conversion out;
    MidiFile file;
    MidiError fault;
    if (!read_midi(bytes, size, file, fault)) {
        out.error = printed("Offset %zu: %s.\n", fault.offset, fault.what.c_str());
        return out;
    }
    Voice voice;
    if (!select_voice(file, options.voice, voice, out.error)) {
        out.error += "\n";
        return out;
    }
    const TempoMap map(file);
    const int tempo = options.tempo ? options.tempo : first_tempo(file);
    const Elements elements = make_elements(voice, map, options.transpose);
    const Placement placed = place(elements.list, options.type);
    if (placed.too_many) {
        out.error = printed("Score too long for melvox: more than %zu notes.\n", kMostNotes);
        return out;
    }
    std::vector<Block> blocks = plain(placed.notes);
    DurationTexts durations(options.type, tempo);
    std::string text;
    auto fits = [&] { return stream_bytes(blocks) <= kMaxStream && text.size() <= kMaxScoreText; };
    for (;;) {
        if (!write_score(tempo, placed.notes, blocks, durations, text, out.error)) {
            out.error += "\n";
            return out;
        }
        if (fits() || !options.repeats || !fold_longest_repeat(placed.notes, blocks))
            break;
    }
    if (!fits()) {
        out.error = too_long(stream_bytes(blocks), text.size(), options.repeats);
        return out;
    }
    const double midi_seconds = elements.list.empty() ? 0 : elements.list.back().end;
    out.report = report(voice, tempo, options.tempo != 0, elements, placed, blocks, midi_seconds);
    out.score = std::move(text);
    return out;
}

namespace {

int fail(const std::string& message)
{
    std::fputs(message.c_str(), stderr);
    return 1;
}

enum class Read { Ok, CannotOpen, TooLong };

// The whole file, at most kMaxMidiBytes of it. A regular file is mapped (a large one then
// costs no copy); anything else is read until one byte more than the bound is there.
class Input {
public:
    Input() = default;
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    ~Input()
    {
        if (mapped_)
            munmap(mapped_, size_);
    }
    const unsigned char* data() const { return mapped_ ? static_cast<const unsigned char*>(mapped_) : read_.data(); }
    std::size_t size() const { return mapped_ ? size_ : read_.size(); }

    Read open_file(const char* path)
    {
        const int fd = open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return Read::CannotOpen;
        const Read r = load(fd);
        close(fd);
        return r;
    }

private:
    Read load(int fd)
    {
        struct stat st;
        if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))
            return Read::CannotOpen;
        if (S_ISREG(st.st_mode) && st.st_size > 0) {
            if (static_cast<std::uint64_t>(st.st_size) > kMaxMidiBytes)
                return Read::TooLong;
            void* p = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
            if (p != MAP_FAILED) {
                mapped_ = p;
                size_ = static_cast<std::size_t>(st.st_size);
                return Read::Ok;
            }
        }
        std::size_t n = 0;
        read_.resize(std::size_t{64} * 1024);
        for (;;) {
            if (n == read_.size())
                read_.resize(std::min(2 * n, kMaxMidiBytes + 1));
            const ssize_t got = read(fd, read_.data() + n, read_.size() - n);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return Read::CannotOpen;
            n += static_cast<std::size_t>(got);
            if (got == 0 || n > kMaxMidiBytes)
                break;
        }
        read_.resize(n);
        return n > kMaxMidiBytes ? Read::TooLong : Read::Ok;
    }

    void* mapped_ = nullptr;
    std::size_t size_ = 0;
    std::vector<unsigned char> read_;
};

}  // namespace

int run(int argc, char** argv)
{
    std::fputs(kBanner, stderr);
    Options options;
    if (parse_arguments(argc, argv, options))
        return 1;
    Input bytes;
    switch (bytes.open_file(options.source)) {
    case Read::Ok: break;
    case Read::CannotOpen: return fail("Cannot open source file.\n");
    case Read::TooLong: return fail("MIDI file too long: melmidi reads at most 16777216 bytes.\n");
    }
    const Conversion c = convert(bytes.data(), bytes.size(), options);
    if (!c.error.empty())
        return fail(c.error);
    if (same_existing_file(options.source, options.target))
        return fail(printed("Target file %s is the MIDI file itself.\n", options.target));
    std::fputs(c.report.c_str(), stderr);
    OutputFile out;
    if (out.open(options.target) != OutputFile::kOk || out.write(c.score.data(), c.score.size()) != OutputFile::kOk ||
        out.commit() != OutputFile::kOk)
        return fail(printed("Cannot write target file %s: %s.\n", options.target, std::strerror(out.error())));
    std::fprintf(stderr, "%s file written.\n", options.target);
    return 0;
}

}  // namespace melmidi
