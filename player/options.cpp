// getopt "ht:w:sl:p:" with permutation; option values carry a first character that is skipped
// (-t:3, -w:out.wav). Unlike the converter, a wrong -t value is refused: a preview in the
// wrong timing would mislead.
#include "options.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "option_scan.h"
#include "wav.h"

namespace melplay {

const char kUsage[] = "Usage: melplay streamFile [-t:1|3] [-w:wavFile] [-s]\n";

namespace {

int refuse(const char* message)
{
    std::fflush(stdout);
    std::fputs(message, stderr);
    return 1;
}

// -l:seconds, 1 to the WAV format's own bound; false for anything else.
bool read_limit(const char* text, unsigned& seconds)
{
    const char* digits = text[0] != '\0' ? text + 1 : text;
    const std::size_t n = std::strspn(digits, "0123456789");
    if (n == 0 || digits[n] != '\0')
        return false;
    const unsigned long value = std::strtoul(digits, nullptr, 10);  // saturates: refused below
    if (value < 1 || value > kMaxPreviewSeconds)
        return false;
    seconds = static_cast<unsigned>(value);
    return true;
}

}  // namespace

int parse_arguments(int argc, char** argv, Options& options)
{
    const int scanned = option_scan::scan_options(argc, argv, "ht:w:sl:p:", [&](int c, const char* value) {
        switch (c) {
        case 'h': std::fputs(kUsage, stdout); return 1;
        case 't':
            if (std::strcmp(value, ":1") == 0) {
                options.type = 1;
            } else if (std::strcmp(value, ":3") == 0) {
                options.type = 3;
            } else {
                return refuse("Output type must be -t:1 or -t:3.\n");
            }
            break;
        case 'w':
            if (value[0] == '\0' || value[1] == '\0')
                return refuse("Empty WAV file name, expected -w:wavFile.\n");
            options.wav = value + 1;
            break;
        case 'p':
            if (value[0] == '\0' || value[1] == '\0')
                return refuse("Empty picture file name, expected -p:pictureFile.\n");
            options.picture = value + 1;
            break;
        case 's': options.score = true; break;
        case 'l':
            if (!read_limit(value, options.max_seconds))
                return refuse("Preview limit must be -l:1 to -l:48696 (seconds).\n");
            break;
        }
        return 0;
    });
    if (scanned != 0)
        return scanned;
    if (argc - optind != 1)
        return refuse("One argument required: streamFile.\n");
    options.source = argv[optind];
    return 0;
}

}  // namespace melplay
