// One run of melplay after the banner: read, check, list or decompile, preview.
#pragma once

#include <string>
#include <vector>

namespace melplay {

extern const char kBanner[];

// melvox writes at most 32000 bytes; anything much longer is no note stream.
constexpr std::size_t kMaxStreamBytes = 65536;

enum class Read { Ok, CannotOpen, TooLong };

// Reads the whole file, at most kMaxStreamBytes of it: CannotOpen when it cannot be opened or
// read (a directory included), TooLong as soon as one byte more is there.
Read read_stream_file(const char* path, std::vector<unsigned char>& bytes);

// The exit status of the whole run.
int run(int argc, char** argv);

}  // namespace melplay
