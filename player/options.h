// The command line of melplay.
#pragma once

#include "wav.h"

namespace melplay {

struct Options {
    const char* source = nullptr;
    int type = 1;                                   // how divisors are read: 1 or 3
    const char* wav = nullptr;                      // -w: the preview file, or nullptr
    const char* picture = nullptr;                  // -p: the piano roll (PNG), or nullptr
    bool score = false;                             // -s: the score text instead of the listing
    unsigned max_seconds = kDefaultPreviewSeconds;  // -l: the longest preview written
};

extern const char kUsage[];

// 0 when the run may go on; 1 when it must stop (the reason has been printed).
int parse_arguments(int argc, char** argv, Options& options);

}  // namespace melplay
