// The command line of melmidi.
#pragma once

#include "voice.h"

namespace melmidi {

struct Options {
    const char* source = nullptr;
    const char* target = nullptr;
    int type = 1;          // output type of the score: 1 or 3
    VoiceChoice voice;     // -k and -c
    int transpose = 0;     // -x: semitones
    int tempo = 0;         // -b: beats per minute; 0: the file's first tempo
    bool repeats = false;  // -r: fold repeated passages when the score is too long
};

extern const char kUsage[];

// 0 when the run may go on; 1 when it must stop (the reason has been printed).
int parse_arguments(int argc, char** argv, Options& options);

}  // namespace melmidi
