// The WAV preview: 16-bit mono PCM at 44,100 Hz, a square wave per note, rests silent,
// sections repeated, written whole through a temporary file or not at all.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "stream.h"

namespace melplay {

constexpr unsigned kSampleRate = 44100;
constexpr int kAmplitude = 8000;
constexpr std::uint64_t kRampSamples = 220;  // 5 ms
constexpr std::size_t kHeaderBytes = 44;
// The RIFF size field (36 + data bytes) is 32 bits.
constexpr std::uint64_t kMaxSamples = (0xFFFFFFFFull - 36) / 2;
// The longest preview written unless -l says otherwise, and the most -l allows: the first
// whole second at or past kMaxSamples.
constexpr unsigned kDefaultPreviewSeconds = 30 * 60;
constexpr unsigned kMaxPreviewSeconds = static_cast<unsigned>((kMaxSamples + kSampleRate - 1) / kSampleRate);
static_assert(kMaxPreviewSeconds == 48696, "the -l bound of the manual");

// Samples of the whole preview; stops counting past `limit` and returns a value above it.
std::uint64_t preview_samples(const Stream& stream, int type, std::uint64_t limit = kMaxSamples);

// The 44-byte canonical header for this many samples (at most kMaxSamples).
std::string wav_header(std::uint64_t samples);

// Why the preview may not be written (past the WAV format or past `max_seconds`), as a
// one-line message; empty when it may, with its length in `samples`.
std::string preview_refusal(const Stream& stream, int type, unsigned max_seconds, std::uint64_t& samples);

// Receives the WAV file in pieces; false stops the rendering.
using Sink = std::function<bool(const unsigned char* bytes, std::size_t n)>;

// The whole WAV file of `samples` samples (as counted by preview_samples), header first.
bool render_preview(const Stream& stream, int type, std::uint64_t samples, const Sink& sink);

// Writes the preview to `path` as an output file (see output_file.h); on failure returns false
// with a one-line message in `error`. `source` is refused as a target.
bool write_preview(const std::string& path, const std::string& source, const Stream& stream, int type,
                   std::string& error, unsigned max_seconds = kDefaultPreviewSeconds);

}  // namespace melplay
