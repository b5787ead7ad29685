// getopt "hl:f:m:c:" with permutation; like koddar's options, each value skips its first
// character (-l:out.lst). Nothing is written unless the whole source assembled, and then every
// output is staged before any is put in place.
#include "run.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "assembler.h"
#include "encoding.h"
#include "files.h"
#include "listing.h"
#include "option_scan.h"
#include "outputs.h"

namespace kodasm {

const char kUsage[] = "Usage: kodasm sourceFile targetFile [-l:listingFile] [-f:bin|hex|srec] [-m:mapFile] [-c:cpu]\n";

namespace {

int refuse(const std::string& message)
{
    std::fputs(message.c_str(), stderr);
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

struct Output {
    const char* what;  // "Listing", "Map", "Target"
    std::string path;
    std::string bytes;
    OutputFile file;
};

bool parse_format(const std::string& text, Format& format)
{
    if (text == "bin")
        format = Format::Raw;
    else if (text == "hex")
        format = Format::IntelHex;
    else if (text == "srec")
        format = Format::SRecords;
    else
        return false;
    return true;
}

// No output may be an input of the run or another output.
bool check_targets(const std::vector<Output*>& outputs, const std::string& source,
                   const std::vector<std::string>& inputs)
{
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const Output& o = *outputs[i];
        if (same_file(source, o.path)) {
            refuse(std::string(o.what) + " file " + o.path + " is the source file itself.\n");
            return false;
        }
        for (const std::string& input : inputs)
            if (same_file(input, o.path)) {
                refuse(std::string(o.what) + " file " + o.path + " is the input file " + input + " itself.\n");
                return false;
            }
        for (std::size_t j = i + 1; j < outputs.size(); ++j)
            if (o.path == outputs[j]->path || same_file(o.path, outputs[j]->path)) {
                refuse(std::string(o.what) + " file " + o.path + " is also the " + outputs[j]->what + " file.\n");
                return false;
            }
    }
    return true;
}

}  // namespace

int run(int argc, char** argv)
{
    std::fputs("Kodasm - TMS7020/7040 assembler - version 2026.12\n", stderr);
    Output listing_out{"Listing", {}, {}, {}}, map_out{"Map", {}, {}, {}}, target_out{"Target", {}, {}, {}};
    Format format = Format::Raw;
    int processor = 0;
    const int scanned = option_scan::scan_options(argc, argv, "hl:f:m:c:", [&](int c, const char* value) {
        switch (c) {
        case 'h': std::fputs(kUsage, stdout); return 1;
        case 'l':
            if (value[0] == '\0' || value[1] == '\0')
                return refuse("Empty listing file name, expected -l:listingFile.\n");
            listing_out.path = value + 1;
            break;
        case 'm':
            if (value[0] == '\0' || value[1] == '\0')
                return refuse("Empty map file name, expected -m:mapFile.\n");
            map_out.path = value + 1;
            break;
        case 'f':
            if (value[0] == '\0' || !parse_format(value + 1, format))
                return refuse("Unknown output format, expected -f:bin, -f:hex or -f:srec.\n");
            break;
        case 'c':
            processor = value[0] == '\0' ? -1 : find_cpu(value + 1);
            if (processor < 0)
                return refuse(
                    "Unknown processor, expected -c:tms7020, -c:tms7040, -c:tms7000 or another TMS7000 family name.\n");
            break;
        }
        return 0;
    });
    if (scanned != 0)
        return scanned;
    if (argc - optind != 2)
        return refuse("Two arguments required: sourceFile targetFile.\n");
    const std::string source = argv[optind];
    target_out.path = argv[optind + 1];
    if (same_file(source, target_out.path))
        return refuse("Target file " + target_out.path + " is the source file itself.\n");
    if (!listing_out.path.empty() && (same_file(source, listing_out.path) || listing_out.path == target_out.path))
        return refuse("Listing file " + listing_out.path + " is the source or the target file.\n");

    std::string text, error;
    if (!read_source(source, text, error))
        return refuse(error);
    Options options;
    options.path = source;
    options.now = assembly_time();
    options.processor = processor;
    options.listing = !listing_out.path.empty();
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
    // Every output is staged before any is put in place, the listing and the map first: after
    // any failure no target file is written.
    std::vector<Output*> outputs;
    if (!listing_out.path.empty()) {
        listing_out.bytes = listing(assembly);
        outputs.push_back(&listing_out);
    }
    if (!map_out.path.empty()) {
        map_out.bytes = map_text(assembly);
        outputs.push_back(&map_out);
    }
    target_out.bytes = image_text(assembly, format);
    outputs.push_back(&target_out);
    if (!check_targets(outputs, source, assembly.inputs))
        return 1;
    for (Output* o : outputs)
        if (!stage(o->file, o->path, o->bytes, error))
            return refuse(error);
    for (Output* o : outputs) {
        if (!commit(o->file, o->path, error))
            return refuse(error);
        std::fprintf(stderr, "%s file written.\n", o->path.c_str());
    }
    return 0;
}

}  // namespace kodasm
