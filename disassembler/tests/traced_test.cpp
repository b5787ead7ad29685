// The two hand-assembled images in traced/ (made by make_images.py, with maps that name only
// their entry points) must list as code exactly the instructions their source assembled, and
// as their golden listings and messages.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "run_program.h"

namespace {

const std::string kBanner = "Koddar - TMS7020/7040 disassembler - version 2010.01\n";

std::vector<std::string> words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

// The instructions of a listing, "ADDR LENGTH" (hex, decimal), from every line that is neither
// a label line nor a data line.
std::vector<std::string> code_lines(const std::string& listing)
{
    std::vector<std::string> out;
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> hex = words(line.substr(0, 15));
        const std::string mnemonic = line.size() > 15 ? words(line.substr(15, 7)).at(0) : "";
        if (hex.size() < 2 || mnemonic == "BYTE" || mnemonic == "WORD" || mnemonic == "TEXT")
            continue;
        out.push_back(hex[0] + " " + std::to_string(hex[1].size() / 2));
    }
    return out;
}

// A run: its map, listing and ground truth NAME.*, the image the name up to its first '-', and
// more options.
struct TracedRun {
    std::string name;
    std::vector<std::string> options;
};

class TracedImage : public testing::TestWithParam<TracedRun> {};

TEST_P(TracedImage, ListsExactlyTheAssembledInstructionsAsCode)
{
    const std::string base = std::string(TRACED_DIR) + "/" + GetParam().name;
    const std::string image = std::string(TRACED_DIR) + "/" + GetParam().name.substr(0, GetParam().name.find('-'));
    std::vector<std::string> args = {image + ".bin", "-r:0xF000", "-m:" + base + ".map"};
    for (const std::string& o : GetParam().options)
        args.push_back(o);
    const RunResult r = run_program(KODDAR_PATH, args);
    EXPECT_EQ(r.status, 0);
    std::vector<std::string> truth;
    std::istringstream in(read_file(base + ".code"));
    for (std::string line; std::getline(in, line);)
        truth.push_back(line);
    ASSERT_GT(truth.size(), 10u);
    EXPECT_EQ(code_lines(r.out), truth);
    EXPECT_EQ(r.out, read_file(base + ".lst"));
    std::string err = r.err.substr(std::min(r.err.size(), kBanner.size()));
    const std::string dir = std::string(TRACED_DIR) + "/";  // messages name the log as given
    for (std::size_t at; (at = err.find(dir)) != std::string::npos;)
        err.erase(at, dir.size());
    EXPECT_EQ(err, read_file(base + ".err"));
}

// mixed*: random code, tables and text; found1: code that only the analysis after the trace
// finds (found1-default: with the rules on by default only; found1-off: the same image and
// entry point without them; found1-log: with a log).
INSTANTIATE_TEST_SUITE_P(Mixed, TracedImage,
                         testing::Values(TracedRun{"mixed1", {}}, TracedRun{"mixed2", {}}, TracedRun{"found1", {}},
                                         TracedRun{"found1-default", {}}, TracedRun{"found1-off", {}},
                                         TracedRun{"found1-log", {"-t:" + std::string(TRACED_DIR) + "/found1.log"}}),
                         [](const testing::TestParamInfo<TracedRun>& row) {
                             std::string n = row.param.name;
                             std::replace(n.begin(), n.end(), '-', '_');
                             return n;
                         });

}  // namespace

namespace {

// CPU time (user and system) of one run of koddar, in seconds.
double cpu_seconds(const std::vector<std::string>& args)
{
    struct rusage before {};
    struct rusage after {};
    getrusage(RUSAGE_CHILDREN, &before);
    RunOptions opts;
    opts.stdout_path = "/dev/null";
    EXPECT_EQ(run_program(KODDAR_PATH, args, opts).status, 0);
    getrusage(RUSAGE_CHILDREN, &after);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_stime);
}

}  // namespace

// A 64 KiB image that is code from end to end, one conditional jump in eight to the next
// instruction, so that the trace reaches every byte and labels many: listed with its map, it
// costs less than twice the plain listing. The best of several runs each, in CPU time.
TEST(TracedImageSpeed, ListsWithinThriceThePlainListing)
{
#if !defined(__OPTIMIZE__) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "timed in optimised builds without sanitizers only";
#endif
    const std::string dir = make_scratch_dir();
    ASSERT_FALSE(dir.empty());
    const std::string pieces[] = {"\x22\x41", "\x12\x05", "\x42\x05\x06", std::string("\x88\x12\x34\x05", 4),
                                  "\xb3",     "\xd3\x03", "\x82\x2e",     "\x8a\xf0\x1a"};
    std::string image;
    for (unsigned i = 0; image.size() < 65536 - 8; ++i) {
        image += pieces[(i * 5 + i / 8) % 8];
        if (i % 8 == 7)
            image += std::string("\xe2\x00", 2);  // JEQ to the next instruction
    }
    image.resize(65536, '\x0a');
    write_file(dir + "/code.bin", image);
    write_file(dir + "/code.map", "code 0000\n");
    double plain = 1e9;
    double traced = 1e9;
    for (int i = 0; i < 15; ++i) {
        plain = std::min(plain, cpu_seconds({dir + "/code.bin"}));
        traced = std::min(traced, cpu_seconds({dir + "/code.bin", "-m:" + dir + "/code.map"}));
    }
    std::filesystem::remove_all(dir);
    // The plain listing itself became several times faster after this bound was set; the
    // mapped listing writes its instruction lines the same way, but the trace (a second
    // decoding pass, the references and their labels) is work the plain listing never does.
    EXPECT_LT(traced, 3 * plain) << "traced " << traced * 1e3 << " ms, plain " << plain * 1e3 << " ms";
    std::printf("plain %.2f ms, traced %.2f ms of CPU time\n", plain * 1e3, traced * 1e3);
}
