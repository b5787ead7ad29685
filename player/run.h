// One run of melplay after the banner: read, check, list or decompile, preview.
#pragma once

#include <string>
#include <vector>

namespace melplay {

extern const char kBanner[];

// Reads the whole file; false when it cannot be opened or read (a directory included).
bool read_stream_file(const char* path, std::vector<unsigned char>& bytes);

// The exit status of the whole run.
int run(int argc, char** argv);

}  // namespace melplay
