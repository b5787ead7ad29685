// The piano roll of a stream as a PNG picture: time across, pitch up, one bar per note with
// its name where it fits, the passes of a section after its first shaded, and a time axis in
// seconds. Written whole through a temporary file, or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "stream.h"

namespace melplay {

// The picture in memory: 8-bit RGB rows, top first.
struct Picture {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<std::uint8_t> rgb;
};

// Draws the stream played in `type`: every section unrolled.
Picture piano_roll(const Stream& stream, int type);

// Writes the picture of the stream to `path` as a PNG file through an output file; on failure
// returns false with a one-line message in `error`. `source` is refused as a target.
bool write_picture(const std::string& path, const std::string& source, const Stream& stream, int type,
                   std::string& error);

}  // namespace melplay
