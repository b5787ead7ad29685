// melvox's command line on arbitrary argument vectors: every vector is either refused with
// one of the defined messages or yields the operands and output type that the options give.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "args.h"
#include "capture.h"
#include "converter.h"

namespace {

const std::string kUsage = "Usage: melvox sourceFile targetFile [-t:1|3]\n";
const std::string kTwoArgs = "Two arguments required: sourceFile targetFile.\n";
const std::string kSame = "ERROR: Same filename for source and target files.\n";

std::string option_message(unsigned char c)
{
    char line[64];
    if (c == 't')
        std::snprintf(line, sizeof line, "Option -%c requires an argument.\n", c);
    else if (std::isprint(c))
        std::snprintf(line, sizeof line, "Unknown option `-%c'.\n", c);
    else
        std::snprintf(line, sizeof line, "Unknown option character `\\x%x'.\n", c);
    return line;
}

bool same_file(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    return a == b ||
           (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::Words in = fuzz::split_words(data, size, 12);
    fuzz::set_posixly_correct(in.posixly_correct);
    fuzz::Argv args("melvox", in.words);
    TypeDest = 1;
    source = target = nullptr;
    int ret;
    std::string out, err;
    {
        fuzz::Capture cap;
        ret = ManageArguments(args.argc(), args.argv());
        out = cap.out();
        err = cap.err();
    }

    // What the options and operands call for.
    const fuzz::Scanned s = fuzz::scan(in.words, "ht", "t", in.posixly_correct);
    int type = 1;
    for (const auto& item : s.items) {
        if (item.kind == fuzz::Scanned::kError) {
            fuzz::check(ret == 1 && out.empty(), "a scanner error stops the run");
            fuzz::check(
                err.size() > option_message(item.letter).size() && fuzz::ends_with(err, option_message(item.letter)),
                "getopt's diagnostic, then the converter's option message", err);
            return 0;
        }
        if (item.letter == 'h') {
            fuzz::check(ret == 1 && out == kUsage && err.empty(), "-h prints the usage text and stops", out + err);
            return 0;
        }
        if (item.value == ":1")
            type = 1;
        else if (item.value == ":3")
            type = 3;
    }
    fuzz::check(out.empty(), "nothing on standard output", out);
    if (s.operands.size() != 2) {
        fuzz::check(ret == 1 && err == kTwoArgs, "not two operands", err);
        return 0;
    }
    if (same_file(s.operands[0], s.operands[1])) {
        fuzz::check(ret == 1 && err == kSame, "one file named twice", err);
        return 0;
    }
    fuzz::check(ret == 0 && err.empty(), "an accepted command line prints nothing", err);
    fuzz::check(source != nullptr && target != nullptr, "both operands are set");
    fuzz::check(s.operands[0] == source && s.operands[1] == target, "the operands in order",
                std::string(source) + " | " + target);
    fuzz::check(TypeDest == type, "the last accepted -t argument counts");
    return 0;
}
