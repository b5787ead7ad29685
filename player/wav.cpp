// Note boundaries fall on round(t * 44100) of the running time t, so nothing drifts over a
// long stream. Each note rises and falls along a linear ramp of 5 ms, or a quarter of the note
// when it is shorter than 20 ms.
#include "wav.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "notes.h"
#include "output_file.h"
#include "same_file.h"
#include "text.h"

namespace melplay {

namespace {

// Calls visit(code, first sample, end sample) for each note as played, sections repeated,
// until visit returns false. Returns the end sample of the last note visited.
template <class Visit>
std::uint64_t play(const Stream& stream, int type, Visit visit)
{
    double t = 0;
    std::uint64_t at = 0;
    const auto& el = stream.elements;
    for_each_run(stream, [&](std::size_t first, std::size_t last, std::size_t) {
        for (std::size_t k = first; k < last; ++k) {
            t += note_seconds(type, el[k].code, el[k].divisor);
            const std::uint64_t end = static_cast<std::uint64_t>(std::llround(t * kSampleRate));
            const bool more = visit(el[k].code, at, end);
            at = end;
            if (!more)
                return false;
        }
        return true;
    });
    return at;
}

void put16(std::string& s, unsigned v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8 & 0xFF);
}

void put32(std::string& s, std::uint32_t v)
{
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

// Fills `out` with the note's samples from sample `from` of the note on.
class Tone {
public:
    Tone(int code, std::uint64_t length) : length_(length)
    {
        rest_ = code == kFirstCode;
        step_ = static_cast<double>(note_frequency(code)) / static_cast<double>(kSampleRate);
        std::uint64_t quarter = length / 4;
        ramp_ = static_cast<double>(quarter < kRampSamples ? (quarter ? quarter : 1) : kRampSamples);
    }
    std::int16_t sample(std::uint64_t i) const
    {
        if (rest_)
            return 0;
        double x = static_cast<double>(i);
        double phase = x * step_;
        phase -= std::floor(phase);
        double gain = std::fmin(1.0, std::fmin((x + 0.5) / ramp_, (static_cast<double>(length_) - x - 0.5) / ramp_));
        double v = (phase < 0.5 ? kAmplitude : -kAmplitude) * gain;
        return static_cast<std::int16_t>(std::lround(v));
    }

private:
    std::uint64_t length_;
    bool rest_;
    double step_;
    double ramp_;
};

}  // namespace

std::uint64_t preview_samples(const Stream& stream, int type, std::uint64_t limit)
{
    return play(stream, type, [limit](int, std::uint64_t, std::uint64_t end) { return end <= limit; });
}

std::string wav_header(std::uint64_t samples)
{
    const auto data = static_cast<std::uint32_t>(samples * 2);
    std::string h = "RIFF";
    put32(h, 36 + data);
    h += "WAVEfmt ";
    put32(h, 16);  // fmt chunk size
    put16(h, 1);   // PCM
    put16(h, 1);   // mono
    put32(h, kSampleRate);
    put32(h, kSampleRate * 2);  // bytes per second
    put16(h, 2);                // bytes per sample frame
    put16(h, 16);               // bits per sample
    h += "data";
    put32(h, data);
    return h;
}

std::string preview_refusal(const Stream& stream, int type, unsigned max_seconds, std::uint64_t& samples)
{
    samples = preview_samples(stream, type);
    if (samples > kMaxSamples) {
        return format("Preview too long: a WAV file holds at most %llu samples (%.0f s).\n",
                      static_cast<unsigned long long>(kMaxSamples), static_cast<double>(kMaxSamples) / kSampleRate);
    }
    if (samples > std::uint64_t{max_seconds} * kSampleRate) {
        return format("Preview too long: %.1f s, more than %u s (raise the limit with -l:seconds, up to %u).\n",
                      static_cast<double>(samples) / kSampleRate, max_seconds, kMaxPreviewSeconds);
    }
    return {};
}

bool render_preview(const Stream& stream, int type, std::uint64_t samples, const Sink& sink)
{
    const std::string header = wav_header(samples);
    if (!sink(reinterpret_cast<const unsigned char*>(header.data()), header.size()))
        return false;
    std::vector<unsigned char> buf;
    buf.reserve(1 << 16);
    bool ok = true;
    play(stream, type, [&](int code, std::uint64_t from, std::uint64_t to) {
        Tone tone(code, to - from);
        for (std::uint64_t i = 0; i < to - from && ok; ++i) {
            auto v = static_cast<std::uint16_t>(tone.sample(i));
            buf.push_back(static_cast<unsigned char>(v & 0xFF));
            buf.push_back(static_cast<unsigned char>(v >> 8));
            if (buf.size() >= (1 << 16)) {
                ok = sink(buf.data(), buf.size());
                buf.clear();
            }
        }
        return ok;
    });
    return ok && sink(buf.data(), buf.size());
}

bool write_preview(const std::string& path, const std::string& source, const Stream& stream, int type,
                   std::string& error, unsigned max_seconds)
{
    // Checked before anything is created.
    std::uint64_t samples = 0;
    error = preview_refusal(stream, type, max_seconds, samples);
    if (!error.empty())
        return false;
    if (same_existing_file(path.c_str(), source.c_str())) {
        error = format("Preview file %s is the stream file itself.\n", path.c_str());
        return false;
    }
    OutputFile out;
    bool ok = out.open(path.c_str()) == OutputFile::kOk &&
              render_preview(stream, type, samples,
                             [&out](const unsigned char* bytes, std::size_t n) {
                                 return out.write(bytes, n) == OutputFile::kOk;
                             }) &&
              out.commit() == OutputFile::kOk;
    if (!ok)
        error = format("Cannot write preview file %s: %s.\n", path.c_str(), std::strerror(out.error()));
    return ok;
}

}  // namespace melplay
