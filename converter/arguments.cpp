// The command line of melvox: options -h and -t, then exactly two file operands.
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "converter.h"
#include "messages.h"
#include "same_file.h"

char* source = nullptr;
char* target = nullptr;
int TypeDest = 1;

namespace {

const char kUsage[] = "Usage: melvox sourceFile targetFile [-t:1|3]\n";
const char kOptions[] = "ht:";

void select_type(const char* arg)
{
    if (std::strcmp(arg, ":1") == 0)
        TypeDest = 1;
    else if (std::strcmp(arg, ":3") == 0)
        TypeDest = 3;
}

// getopt has printed its own diagnostic; this adds the converter's line.
void report_bad_option(int opt)
{
    std::fflush(stdout);
    // The byte itself (0..ff): a negative char is neither printable-testable nor
    // meant to print sign-extended.
    unsigned char c = static_cast<unsigned char>(opt);
    if (c == 't')
        std::fprintf(stderr, "Option -%c requires an argument.\n", c);
    else if (std::isprint(c))
        std::fprintf(stderr, "Unknown option `-%c'.\n", c);
    else
        std::fprintf(stderr, "Unknown option character `\\x%x'.\n", static_cast<unsigned>(c));
}

// Two texts for one existing file would let the target overwrite the score.
bool same_file(const char* a, const char* b)
{
    return std::strcmp(a, b) == 0 || same_existing_file(a, b);
}

}  // namespace

int ManageArguments(int argc, char* argv[])
{
    optind = 0;  // glibc: a full reset, so each call scans its own argv afresh
    int opt;
    while ((opt = getopt(argc, argv, kOptions)) != -1) {
        switch (opt) {
        case 'h': write_stdout(kUsage, sizeof kUsage - 1); return 1;
        case 't': select_type(optarg); break;
        default: report_bad_option(optopt); return 1;
        }
    }
    if (argc - optind != 2) {
        std::fflush(stdout);
        std::fputs("Two arguments required: sourceFile targetFile.\n", stderr);
        return 1;
    }
    source = argv[optind];
    target = argv[optind + 1];
    if (same_file(source, target)) {
        erreur(kSameFile);
        return 1;
    }
    return 0;
}

bool StdoutIsSource(int argc, char* argv[])
{
    // The scan runs quietly on a copy, which it may permute: ManageArguments scans again and
    // reports what it finds.
    std::vector<char*> words(argv, argv + argc);
    words.push_back(nullptr);
    const int saved_opterr = opterr;
    opterr = 0;
    optind = 0;
    while (getopt(argc, words.data(), kOptions) != -1) {
    }
    opterr = saved_opterr;
    return optind < argc && stdout_is_file(words[static_cast<std::size_t>(optind)]);
}
