// The banner and the one table of error messages with the printer that uses it.
#include "messages.h"

#include <cstdio>

#include "converter.h"

namespace {

// Message of code n at index n - 1. The texts are part of the program's interface:
// they stay byte for byte, spelling included.
// clang-format off
constexpr const char* kMessages[] = {
    "Same filename for source and target files.\n",  // 1
    "Cannot open source file.\n",                    // 2
    "Cannot save target file.\n",                    // 3
    "When loading source file.\n",                   // 4
    "When saving target file.\n",                    // 5
    "Memory problem.\n",                             // 6
    "Not a correct note.\n",                         // 7
    "Not a correct REPEAT ... END struture.\n",      // 8
    "Not a correct note duration.\n",                // 9
    "Note duration too long.\n",                     // 10
    "Note stream too long.\n",                       // 11
    "Source file too large.\n",                      // 12
    "Same file for source file and standard output.\n",  // 13
};
// clang-format on
constexpr int kMessageCount = sizeof kMessages / sizeof kMessages[0];
static_assert(kMessageCount == kSameOutput, "one message for each code from 1 on");

}  // namespace

void banner()
{
    static const char kBanner[] = "Melvox 2010.02 - converts a text score into a note stream\n";
    write_stdout(kBanner, sizeof kBanner - 1);
}

void erreur(int err)
{
    // The echo on standard output must come before the message when both streams
    // go to the same place.
    std::fflush(stdout);
    std::fputs("ERROR: ", stderr);
    if (err >= 1 && err <= kMessageCount)
        std::fputs(kMessages[err - 1], stderr);
    else
        std::fprintf(stderr, "Erreur %i\n", err);
}
