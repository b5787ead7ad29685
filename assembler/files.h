// Reading the source with a bound, and writing output files whole or not at all.
#pragma once

#include <string>

namespace kodasm {

// Largest source accepted: the source of a full 64 KiB image with labels is far smaller.
constexpr std::size_t kMaxSource = 16u << 20;

// Reads the whole file into text; false with a message in error when it cannot be read or
// is larger than kMaxSource.
bool read_source(const std::string& path, std::string& text, std::string& error);

// True when both paths name the same existing file.
bool same_file(const std::string& x, const std::string& y);

// Writes bytes to path: through a temporary file beside it, synced and renamed over it, so that
// the file is either complete or untouched; a device or FIFO is written in place. False with a
// message in error.
bool write_file(const std::string& path, const std::string& bytes, std::string& error);

}  // namespace kodasm
