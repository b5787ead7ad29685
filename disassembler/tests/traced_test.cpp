// The two hand-assembled images in traced/ (made by make_images.py, with maps that name only
// their entry points) must list as code exactly the instructions their source assembled, and
// as their golden listings and messages.
#include <gtest/gtest.h>

#include <algorithm>
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

class TracedImage : public testing::TestWithParam<std::string> {};

TEST_P(TracedImage, ListsExactlyTheAssembledInstructionsAsCode)
{
    const std::string base = std::string(TRACED_DIR) + "/" + GetParam();
    const RunResult r = run_program(KODDAR_PATH, {base + ".bin", "-r:0xF000", "-m:" + base + ".map"});
    EXPECT_EQ(r.status, 0);
    std::vector<std::string> truth;
    std::istringstream in(read_file(base + ".code"));
    for (std::string line; std::getline(in, line);)
        truth.push_back(line);
    ASSERT_GT(truth.size(), 300u);
    EXPECT_EQ(code_lines(r.out), truth);
    EXPECT_EQ(r.out, read_file(base + ".lst"));
    const std::string err = r.err.substr(std::min(r.err.size(), kBanner.size()));
    EXPECT_EQ(err, read_file(base + ".err"));
}

INSTANTIATE_TEST_SUITE_P(Mixed, TracedImage, testing::Values("mixed1", "mixed2"));

}  // namespace
