// One run of melmidi after the banner: read the MIDI file, make the score, write it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "options.h"

namespace melmidi {

extern const char kBanner[];

// Far more than any tune needs; a longer input is no MIDI file melmidi reads.
constexpr std::size_t kMaxMidiBytes = 16u << 20;

struct Conversion {
    std::string score;   // the score text
    std::string report;  // the lines for standard error
    std::string error;   // one line when the conversion failed; then score is empty
};

// The whole conversion of a MIDI file's bytes, without any file.
Conversion convert(const unsigned char* bytes, std::size_t size, const Options& options);

// The exit status of the whole run.
int run(int argc, char** argv);

}  // namespace melmidi
