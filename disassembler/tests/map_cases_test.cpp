// koddar with a map, end to end: every case file in map_cases/ holds an image, a map, the
// command line, and what koddar must print and write. The two traced images in traced/ must
// list as code exactly the bytes that their source assembled as instructions.
//
// A case file, one section after another, each opened by a line "--- NAME":
//   --- args      the arguments, blank-separated, run in a scratch directory that holds the
//                 image as image.bin and the map as case.map
//   --- image     the image bytes in hex, blanks and line breaks ignored
//   --- map       the map text, verbatim
//   --- stdout    the listing, verbatim
//   --- stderr    standard error after the banner line, verbatim
//   --- written   (optional) what the run writes to out.map
//   --- status    the exit status
// After an intended change, KODDAR_UPDATE_CASES=1 rewrites the stdout, stderr, written and
// status sections from what koddar prints; review the result with git diff.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "run_program.h"
#include "scratch_test.h"

namespace {

const std::string kBanner = "Koddar - TMS7020/7040 disassembler - version 2010.01\n";

using Sections = std::vector<std::pair<std::string, std::string>>;  // in file order

Sections read_sections(const std::string& text)
{
    Sections s;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("--- ", 0) == 0)
            s.emplace_back(line.substr(4), "");
        else if (!s.empty())
            s.back().second += line + "\n";
    }
    return s;
}

std::string section(const Sections& s, const std::string& name)
{
    for (const auto& [key, value] : s)
        if (key == name)
            return value;
    return {};
}

bool has_section(const Sections& s, const std::string& name)
{
    return std::any_of(s.begin(), s.end(), [&](const auto& kv) { return kv.first == name; });
}

std::string hex_bytes(const std::string& text)
{
    std::string bytes, digits;
    for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
    return bytes;
}

std::vector<std::string> words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

std::vector<std::string> case_names()
{
    std::vector<std::string> names;
    if (DIR* d = opendir(MAP_CASES_DIR)) {
        while (const dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n.size() > 5 && n.substr(n.size() - 5) == ".case")
                names.push_back(n.substr(0, n.size() - 5));
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class MapCase : public ScratchTest<testing::TestWithParam<std::string>> {};

TEST_P(MapCase, ListsAndReportsAsWritten)
{
    const std::string path = std::string(MAP_CASES_DIR) + "/" + GetParam() + ".case";
    const Sections s = read_sections(read_file(path));
    write_file(dir + "/image.bin", hex_bytes(section(s, "image")));
    write_file(dir + "/case.map", section(s, "map"));
    RunOptions opts;
    opts.cwd = dir;
    const RunResult r = run_program(KODDAR_PATH, words(section(s, "args")), opts);
    ASSERT_EQ(r.err.substr(0, kBanner.size()), kBanner);
    const std::string err = r.err.substr(kBanner.size());
    const std::string written = read_file(dir + "/out.map");
    if (std::getenv("KODDAR_UPDATE_CASES") != nullptr) {
        std::string text;
        for (const auto& [key, value] : s) {
            if (key == "stdout" || key == "stderr" || key == "written" || key == "status")
                continue;
            text += "--- " + key + "\n" + value;
        }
        text += "--- stdout\n" + r.out + "--- stderr\n" + err;
        if (!written.empty())
            text += "--- written\n" + written;
        text += "--- status\n" + std::to_string(r.status) + "\n";
        write_file(path, text);
        return;
    }
    EXPECT_EQ(r.out, section(s, "stdout"));
    EXPECT_EQ(err, section(s, "stderr"));
    if (has_section(s, "written")) {
        EXPECT_EQ(written, section(s, "written"));
    }
    EXPECT_EQ(std::to_string(r.status) + "\n", section(s, "status"));
}

INSTANTIATE_TEST_SUITE_P(Cases, MapCase, testing::ValuesIn(case_names()),
                         [](const testing::TestParamInfo<std::string>& p) { return p.param; });

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
