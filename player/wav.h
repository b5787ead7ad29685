// The WAV preview: 16-bit mono PCM at 44,100 Hz, a square wave per note, rests silent,
// sections repeated, written whole through a temporary file or not at all.
#pragma once

#include <cstdint>
#include <string>

#include "stream.h"

namespace melplay {

constexpr unsigned kSampleRate = 44100;
constexpr int kAmplitude = 8000;
constexpr std::uint64_t kRampSamples = 220;  // 5 ms
constexpr std::size_t kHeaderBytes = 44;
// The RIFF size field (36 + data bytes) is 32 bits.
constexpr std::uint64_t kMaxSamples = (0xFFFFFFFFull - 36) / 2;

// Samples of the whole preview; stops counting past `limit` and returns a value above it.
std::uint64_t preview_samples(const Stream& stream, int type, std::uint64_t limit = kMaxSamples);

// The 44-byte canonical header for this many samples (at most kMaxSamples).
std::string wav_header(std::uint64_t samples);

// Writes the preview to `path`; on failure returns false with a one-line message in `error`
// and leaves `path` as it was. `source` is refused as a target.
bool write_preview(const std::string& path, const std::string& source, const Stream& stream, int type,
                   std::string& error);

}  // namespace melplay
