// getopt "hl:" with permutation; like koddar's options, the value of -l skips its first
// character (-l:out.lst). Nothing is written unless the whole source assembled.
#include "run.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "assembler.h"
#include "files.h"
#include "listing.h"

namespace kodasm {

const char kUsage[] = "Usage: kodasm sourceFile targetFile [-l:listingFile]\n";

namespace {

int refuse(const std::string& message)
{
    std::fputs(message.c_str(), stderr);
    return 1;
}

// Follows getopt's own diagnostic; the byte is taken unsigned.
int report_option_error(int option)
{
    const int c = static_cast<unsigned char>(option);
    if (c == 'l')
        std::fprintf(stderr, "Option -%c requires an argument.\n", c);
    else if (std::isprint(c))
        std::fprintf(stderr, "Unknown option `-%c'.\n", c);
    else
        std::fprintf(stderr, "Unknown option character `\\x%x'.\n", static_cast<unsigned>(c));
    return 1;
}

// The time DATE and TIME give: now, or SOURCE_DATE_EPOCH for a build that must be reproducible.
std::time_t assembly_time()
{
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch != nullptr && *epoch != '\0') {
        char* end = nullptr;
        const long long seconds = std::strtoll(epoch, &end, 10);
        if (*end == '\0' && seconds >= 0)
            return static_cast<std::time_t>(seconds);
    }
    return std::time(nullptr);
}

}  // namespace

int run(int argc, char** argv)
{
    std::fputs("Kodasm - TMS7020/7040 assembler - version 2026.12\n", stderr);
    std::string listing_path;
    optind = 0;  // glibc: a full reset, so each call scans its own argv afresh
    int c;
    while ((c = getopt(argc, argv, "hl:")) != -1) {
        switch (c) {
        case 'h': std::fputs(kUsage, stdout); return 1;
        case 'l':
            if (optarg[0] == '\0' || optarg[1] == '\0')
                return refuse("Empty listing file name, expected -l:listingFile.\n");
            listing_path = optarg + 1;
            break;
        default: return report_option_error(optopt);
        }
    }
    if (argc - optind != 2)
        return refuse("Two arguments required: sourceFile targetFile.\n");
    const std::string source = argv[optind];
    const std::string target = argv[optind + 1];
    if (same_file(source, target))
        return refuse("Target file " + target + " is the source file itself.\n");
    if (!listing_path.empty() && (same_file(source, listing_path) || listing_path == target))
        return refuse("Listing file " + listing_path + " is the source or the target file.\n");

    std::string text, error;
    if (!read_source(source, text, error))
        return refuse(error);
    Options options;
    options.path = source;
    options.now = assembly_time();
    const Assembly assembly = assemble(text, options);
    if (!assembly.errors.empty()) {
        const std::string report = format_errors(source, text, assembly.errors);
        std::fwrite(report.data(), 1, report.size(), stderr);
        if (assembly.stopped)
            std::fprintf(stderr, "Stopped after %zu errors, no file written.\n", assembly.errors.size());
        else
            std::fprintf(stderr, "%zu error%s, no file written.\n", assembly.errors.size(),
                         assembly.errors.size() == 1 ? "" : "s");
        return 1;
    }
    for (const std::string& input : assembly.inputs) {
        if (same_file(input, target))
            return refuse("Target file " + target + " is the input file " + input + " itself.\n");
        if (!listing_path.empty() && same_file(input, listing_path))
            return refuse("Listing file " + listing_path + " is the input file " + input + " itself.\n");
    }
    // Both files are staged before either is put in place, the listing first: after any failure
    // no target file is written.
    OutputFile listing_out, target_out;
    const std::string bytes(assembly.bytes.begin(), assembly.bytes.end());
    if (!listing_path.empty() && !stage(listing_out, listing_path, listing(assembly), error))
        return refuse(error);
    if (!stage(target_out, target, bytes, error))
        return refuse(error);
    if (!listing_path.empty()) {
        if (!commit(listing_out, listing_path, error))
            return refuse(error);
        std::fprintf(stderr, "%s file written.\n", listing_path.c_str());
    }
    if (!commit(target_out, target, error))
        return refuse(error);
    std::fprintf(stderr, "%s file written.\n", target.c_str());
    return 0;
}

}  // namespace kodasm
