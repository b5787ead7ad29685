// The option scan that melplay, melmidi and kodasm share: getopt over the whole argument
// vector with permutation, each option handed to the program, and what getopt refuses
// reported after getopt's own diagnostic.
#pragma once

#include <unistd.h>

#include <cctype>
#include <cstdio>

namespace option_scan {

// Whether `letter` takes a value: in the option letters given to getopt, a colon follows it.
inline bool takes_value(const char* letters, int letter)
{
    for (const char* p = letters; *p != '\0'; ++p)
        if (*p != ':' && *p == letter)
            return p[1] == ':';
    return false;
}

// The line after getopt's own diagnostic of `option` (its optopt), the byte taken unsigned: isprint
// of a negative char is undefined, and a high byte prints as its own value (\xc3). Returns 1.
inline int report_option_error(const char* letters, int option)
{
    const int c = static_cast<unsigned char>(option);
    if (takes_value(letters, c))
        std::fprintf(stderr, "Option -%c requires an argument.\n", c);
    else if (std::isprint(c))
        std::fprintf(stderr, "Unknown option `-%c'.\n", c);
    else
        std::fprintf(stderr, "Unknown option character `\\x%x'.\n", static_cast<unsigned>(c));
    return 1;
}

// Scans argv from its start with getopt and `letters`, calling on_option(letter, value) for each
// option; it returns 0 to go on, or the status to stop with. An option getopt refuses stops the
// scan with 1 after its message. 0 at the end of the options, with optind at the first operand.
template <class OnOption>
int scan_options(int argc, char** argv, const char* letters, OnOption&& on_option)
{
    optind = 0;  // glibc: a full reset, so each call scans its own argv afresh
    int c;
    while ((c = getopt(argc, argv, letters)) != -1) {
        if (c == '?')
            return report_option_error(letters, optopt);
        if (const int status = on_option(c, optarg))
            return status;
    }
    return 0;
}

}  // namespace option_scan
