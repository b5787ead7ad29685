// getopt "ht:k:c:x:b:r" with permutation; an option's value skips its first character, as
// in melvox and melplay (-t:3, -k:2, -x:-12).
#include "options.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "option_scan.h"

namespace melmidi {

const char kUsage[] =
    "Usage: melmidi sourceFile targetFile [-t:1|3] [-k:track] [-c:channel] [-x:semitones] [-b:tempo] [-r]\n";

namespace {

constexpr int kMaxTrack = 65535;  // the header's count is 16 bits
constexpr int kMaxTranspose = 127;
constexpr int kMaxTempo = 60000;

int refuse(const char* message)
{
    std::fputs(message, stderr);
    return 1;
}

// The value after the option's first character: a whole number from `low` to `high`, a
// minus sign allowed where `low` is negative.
bool read_value(const char* text, int low, int high, int& value)
{
    const char* p = text[0] != '\0' ? text + 1 : text;
    const bool negative = low < 0 && *p == '-';
    p += negative;
    const std::size_t n = std::strspn(p, "0123456789");
    if (n == 0 || n > 6 || p[n] != '\0')
        return false;
    const long v = (negative ? -1 : 1) * std::strtol(p, nullptr, 10);
    if (v < low || v > high)
        return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace

int parse_arguments(int argc, char** argv, Options& options)
{
    const int scanned = option_scan::scan_options(argc, argv, "ht:k:c:x:b:r", [&](int c, const char* value) {
        switch (c) {
        case 'h': std::fputs(kUsage, stdout); return 1;
        case 't':
            if (!read_value(value, 1, 3, options.type) || options.type == 2)
                return refuse("Output type must be -t:1 or -t:3.\n");
            break;
        case 'k':
            if (!read_value(value, 1, kMaxTrack, options.voice.track))
                return refuse("Track must be -k:1 to -k:65535.\n");
            break;
        case 'c':
            if (!read_value(value, 1, 16, options.voice.channel))
                return refuse("Channel must be -c:1 to -c:16.\n");
            break;
        case 'x':
            if (!read_value(value, -kMaxTranspose, kMaxTranspose, options.transpose))
                return refuse("Transposition must be -x:-127 to -x:127 (semitones).\n");
            break;
        case 'b':
            if (!read_value(value, 1, kMaxTempo, options.tempo))
                return refuse("Tempo must be -b:1 to -b:60000 (beats per minute).\n");
            break;
        case 'r': options.repeats = true; break;
        }
        return 0;
    });
    if (scanned != 0)
        return scanned;
    if (argc - optind != 2)
        return refuse("Two arguments required: sourceFile targetFile.\n");
    options.source = argv[optind];
    options.target = argv[optind + 1];
    return 0;
}

}  // namespace melmidi
