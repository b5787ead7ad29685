// koddar's command line on arbitrary argument vectors: every vector is either refused with
// one of the defined messages, in their order, or yields the addresses and the operand that
// the options give.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <strings.h>

#include <unistd.h>

#include "args.h"
#include "arguments.h"
#include "capture.h"
#include "active_map.h"
#include "decoder.h"
#include "processor.h"

namespace {

const std::string kUsage = "Usage: koddar sourceFile [-r:0xRelocAdr] [-s:0xStartAdr] [-e:0xEndAdr]\n";

std::string option_message(unsigned char c)
{
    char line[64];
    if (c == 'r' || c == 's' || c == 'e' || c == 'm' || c == 'w' || c == 'c' || c == 't')
        std::snprintf(line, sizeof line, "Option -%c requires an argument.\n", c);
    else if (std::isprint(c))
        std::snprintf(line, sizeof line, "Unknown option `-%c'.\n", c);
    else
        std::snprintf(line, sizeof line, "Unknown option character `\\x%x'.\n", c);
    return line;
}

// The first character skipped, the rest read as base 16, saturated to 32 bits.
std::int32_t value_of(const std::string& arg)
{
    if (arg.empty())
        return 0;
    const long long v = std::strtoll(arg.c_str() + 1, nullptr, 16);
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(v);
}

// -c: the processor named by the value past its first character, in either case; -1 for none.
int processor_of(const std::string& arg)
{
    const std::string name = arg.empty() ? "" : arg.substr(1);
    const char* known[] = {"tms7020", "tms7040", "tms7000"};
    for (int i = 0; i < 3; ++i)
        if (strcasecmp(name.c_str(), known[i]) == 0 && name.size() == std::strlen(known[i]))
            return i;
    return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::Words in = fuzz::split_words(data, size, 12);
    fuzz::set_posixly_correct(in.posixly_correct);
    fuzz::Argv args("koddar", in.words);
    // main starts every run from these, and getopt from its very beginning.
    koddar::reloc = koddar::debut = koddar::fin = 0;
    koddar::source = nullptr;
    koddar::processor = koddar::kTargetProcessor;
    koddar::Options options;
    optind = 0;
    int ret;
    std::string out, err;
    {
        fuzz::Capture cap;
        ret = koddar::ManageArguments(args.argc(), args.argv(), options);
        out = cap.out();
        err = cap.err();
    }

    const fuzz::Scanned s = fuzz::scan(in.words, "hsermwacft", "sermwct", in.posixly_correct);
    std::int32_t reloc = 0, debut = 0, fin = 0;
    std::string map_file, map_out, log;  // the file options' values, their first character skipped
    bool has_map = false, has_out = false, has_log = false;
    bool source_output = false, text = false;
    int processor = 0;
    for (const auto& item : s.items) {
        if (item.kind == fuzz::Scanned::kError) {
            fuzz::check(ret == 1 && out.empty(), "a scanner error stops the run");
            fuzz::check(
                err.size() > option_message(item.letter).size() && fuzz::ends_with(err, option_message(item.letter)),
                "getopt's diagnostic, then koddar's option message", err);
            return 0;
        }
        switch (item.letter) {
        case 'h':
            fuzz::check(ret == 1 && out == kUsage && err.empty(), "-h prints the usage text and stops", out + err);
            return 0;
        case 'r': reloc = value_of(item.value); break;
        case 's': debut = value_of(item.value); break;
        case 'a': source_output = true; break;
        case 'c':
            processor = processor_of(item.value);
            if (processor < 0) {
                const std::string name = item.value.empty() ? "" : item.value.substr(1);
                fuzz::check(ret == 1 && out.empty() &&
                                err == "Unknown processor `" + name + "'; known are tms7020, tms7040 and tms7000.\n",
                            "an unknown processor stops the scan", err);
                return 0;
            }
            break;
        case 'f': text = true; break;
        case 't':
            has_log = true;
            log = item.value.empty() ? "" : item.value.substr(1);
            break;
        case 'm':
            has_map = true;
            map_file = item.value.empty() ? "" : item.value.substr(1);
            break;
        case 'w':
            has_out = true;
            map_out = item.value.empty() ? "" : item.value.substr(1);
            break;
        default: fin = value_of(item.value); break;
        }
    }
    fuzz::check(out.empty(), "nothing on standard output", out);
    fuzz::check(koddar::reloc == reloc && koddar::debut == debut && koddar::fin == fin,
                "the last value of each option counts");
    fuzz::check(options.source_output == source_output, "-a asks for source output");
    fuzz::check(koddar::processor == static_cast<std::size_t>(processor), "the last -c chooses the processor");
    const koddar::Analysis& analysis = options.map.analysis;
    fuzz::check(analysis.gaps && analysis.tables, "gaps and tables are on by default");
    fuzz::check(analysis.text == (text ? koddar::kTextLength : 0), "-f turns text on");
    fuzz::check(analysis.asked == (text || has_log), "-f and -t ask for the analysis");
    fuzz::check(has_log == (analysis.log != nullptr) && (!has_log || log == analysis.log), "-t names the log");
    if (debut != 0 && debut < reloc) {
        fuzz::check(ret == 1 && err == "Bad starting address.\n", "start below the relocation", err);
        return 0;
    }
    if (fin != 0 && (fin < reloc || fin < debut)) {
        fuzz::check(ret == 1 && err == "Bad ending address.\n", "end below the relocation or the start", err);
        return 0;
    }
    if (s.operands.size() != 1) {
        fuzz::check(ret == 1 && err == "One argument required: sourceFile.\n", "not one operand", err);
        return 0;
    }
    if (has_out && !has_map) {
        fuzz::check(ret == 1 && err == "Option -w requires -m.\n", "a map is written only from a map", err);
        return 0;
    }
    if ((text || has_log) && !has_map) {
        fuzz::check(ret == 1 && err == (has_log ? "Option -t requires -m.\n" : "Option -f requires -m.\n"),
                    "the analysis runs only with a map", err);
        return 0;
    }
    if (ret == 1 && err.rfind("Same file", 0) == 0)
        return 0;  // an output that is one of the inputs is refused, as its case files show
    fuzz::check(ret == 0 && err.empty(), "an accepted command line prints nothing", err);
    fuzz::check(has_map == (options.map.map_file != nullptr) && (!has_map || map_file == options.map.map_file),
                "-m names the map file");
    fuzz::check(has_out == (options.map.map_out != nullptr) && (!has_out || map_out == options.map.map_out),
                "-w names the map to write");
    fuzz::check(koddar::source != nullptr && s.operands[0] == koddar::source, "the operand is the source");
    return 0;
}
