// Reading the source with a bound, and writing the output files whole or not at all.
#pragma once

#include <string>

#include "output_file.h"

namespace kodasm {

// Largest source accepted: the source of a full 64 KiB image with labels is far smaller.
constexpr std::size_t kMaxSource = 16u << 20;

// Reads the whole file into text; false with a message in error when it cannot be read or
// is larger than kMaxSource.
bool read_source(const std::string& path, std::string& text, std::string& error);

// True when both paths name the same existing file.
bool same_file(const std::string& x, const std::string& y);

// Opens path through the project's output file and writes bytes to it, not yet in place: whole
// or not at all, nothing that is not a regular file replaced. False with a message in error.
bool stage(OutputFile& out, const std::string& path, const std::string& bytes, std::string& error);

// Puts the staged bytes in place; false with a message in error, the old file left as it was.
bool commit(OutputFile& out, const std::string& path, std::string& error);

}  // namespace kodasm
