// The command line of koddar.
#include "arguments.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "analysis.h"
#include "decoder.h"
#include "processor.h"

namespace koddar {

std::int32_t debut = 0;
std::int32_t fin = 0;
const char* source = nullptr;

namespace {

constexpr const char* kUsage = "Usage: koddar sourceFile [-r:0xRelocAdr] [-s:0xStartAdr] [-e:0xEndAdr]\n";

// Follows getopt's own diagnostic. The byte is taken unsigned: isprint of a negative char is
// undefined, and a high byte prints as its own value (\xc3), not sign-extended.
void report_option_error(int option)
{
    const int c = static_cast<unsigned char>(option);
    if (c == 'r' || c == 's' || c == 'e' || c == 'm' || c == 'w' || c == 'c' || c == 't')
        std::fprintf(stderr, "Option -%c requires an argument.\n", c);
    else if (std::isprint(c))
        std::fprintf(stderr, "Unknown option `-%c'.\n", c);
    else
        std::fprintf(stderr, "Unknown option character `\\x%x'.\n", static_cast<unsigned>(c));
}

int refuse(const char* message)
{
    std::fputs(message, stderr);
    return 1;
}

// Whether two names are one file: the same text, or the same device and inode.
bool same_file(const char* x, const char* y)
{
    if (std::strcmp(x, y) == 0)
        return true;
    struct stat sx, sy;
    return stat(x, &sx) == 0 && stat(y, &sy) == 0 && sx.st_dev == sy.st_dev && sx.st_ino == sy.st_ino;
}

bool is_standard_output(const char* path)
{
    struct stat sp, so;
    return fstat(STDOUT_FILENO, &so) == 0 && S_ISREG(so.st_mode) && stat(path, &sp) == 0 && sp.st_dev == so.st_dev &&
           sp.st_ino == so.st_ino;
}

// No output may be one of the run's inputs (image, map, execution log): the new map would replace
// what it was made from, a listing appended to an input would corrupt it.
int refuse_outputs_over_inputs(const char* image, const MapOptions& options)
{
    const char* map_out = options.map_out;
    const struct {
        const char* path;
        const char* role;
    } inputs[] = {{image, "source"}, {options.map_file, "map"}, {options.analysis.log, "log"}};
    for (const auto& in : inputs) {
        if (in.path == nullptr)
            continue;
        if (map_out != nullptr && same_file(in.path, map_out)) {
            std::fprintf(stderr, "Same filename for %s and new map files.\n", in.role);
            return 1;
        }
        if (is_standard_output(in.path)) {
            std::fprintf(stderr, "Same file for %s and standard output.\n", in.role);
            return 1;
        }
    }
    return 0;
}

// -c: the processor named by the value, its first character skipped as for the other options.
bool choose_processor(const char* arg)
{
    const char* text = file_value(arg);
    const std::size_t found = find_processor(text);
    if (found == std::size(processors)) {
        std::fprintf(stderr, "Unknown processor `%s'; known are", text);
        for (std::size_t i = 0; i < std::size(processors); ++i)
            std::fprintf(stderr, "%s %s",
                         i == 0                           ? ""
                         : i + 1 == std::size(processors) ? " and"
                                                          : ",",
                         processors[i].name);
        std::fputs(".\n", stderr);
        return false;
    }
    processor = found;
    return true;
}

}  // namespace

std::int32_t option_value(const char* arg)
{
    if (arg[0] == '\0')  // no first character to skip, and nothing past the argument is read
        return 0;
    // long is 64-bit here, so the 32-bit saturation is done by hand.
    const long value = std::strtol(arg + 1, nullptr, 16);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

const char* file_value(const char* arg)
{
    return arg[0] == '\0' ? arg : arg + 1;
}

int ManageArguments(int argc, char** argv, Options& options)
{
    MapOptions& map = options.map;
    Analysis& analysis = map.analysis;
    int c;
    while ((c = getopt(argc, argv, "hs:e:r:m:w:ac:ft:")) != -1) {
        switch (c) {
        case 'h': std::fputs(kUsage, stdout); return 1;
        case 'r': reloc = option_value(optarg); break;
        case 's': debut = option_value(optarg); break;
        case 'e': fin = option_value(optarg); break;
        case 'm': map.map_file = file_value(optarg); break;
        case 'w': map.map_out = file_value(optarg); break;
        case 'a': options.source_output = true; break;
        case 'c':
            if (!choose_processor(optarg))
                return 1;
            break;
        case 'f':
            analysis.text = kTextLength;  // gaps and tables are on already
            analysis.asked = true;
            break;
        case 't':
            analysis.log = file_value(optarg);
            analysis.asked = true;
            break;
        default: report_option_error(optopt); return 1;
        }
    }
    // Checked before the file is read; the checks against its length come later.
    if (debut != 0 && debut < reloc)
        return refuse("Bad starting address.\n");
    if (fin != 0 && (fin < reloc || fin < debut))
        return refuse("Bad ending address.\n");
    if (argc - optind != 1)
        return refuse("One argument required: sourceFile.\n");
    if (map.map_out != nullptr && map.map_file == nullptr)
        return refuse("Option -w requires -m.\n");
    if (analysis.asked && map.map_file == nullptr)
        return refuse(analysis.log != nullptr ? "Option -t requires -m.\n" : "Option -f requires -m.\n");
    if (refuse_outputs_over_inputs(argv[optind], map) != 0)
        return 1;
    source = argv[optind];
    return 0;
}

}  // namespace koddar
