// Makes every file that a runs table names from its run line and compares it with the
// committed expected file: examples/runs.txt (the bundled examples) and tests/golden/runs.txt
// (the golden runs that see every row of the programs' tables).
#include <gtest/gtest.h>

#include <dirent.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>

#include "doc_runs.h"
#include "run_program.h"

namespace {

struct ExampleRun {
    std::string program;  // melvox, koddar, melplay or kodasm
    std::string input;    // file in the table's folder
    std::vector<std::string> options;
    std::vector<std::string> files;  // files of the folder named by the options
    std::string expected;            // file in the table's folder
    int line = 0;
};

// One run per line: program, input, options ("-" for none, else separated by commas),
// expected file. Blank lines and lines starting with '#' are comments.
std::vector<ExampleRun> read_runs(const std::string& folder)
{
    std::vector<ExampleRun> runs;
    int number = 0;
    for (const std::string& line : split_lines(read_file(folder + "/runs.txt"))) {
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        ExampleRun run;
        std::string options, extra;
        fields >> run.program >> run.input >> options >> run.expected;
        run.line = number;
        EXPECT_FALSE(run.expected.empty() || (fields >> extra))
            << "runs.txt:" << number << ": want four fields: " << line;
        std::istringstream list(options);
        for (std::string option; std::getline(list, option, ',');) {
            // "@name" in an option names a file of the table's folder (as in -m:@delay.map).
            const auto at = option.find('@');
            if (at != std::string::npos) {
                run.files.push_back(option.substr(at + 1));
                option = option.substr(0, at) + folder + "/" + option.substr(at + 1);
            }
            if (option != "-")
                run.options.push_back(option);
        }
        runs.push_back(run);
    }
    return runs;
}

bool ends_with(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// What the run makes: melvox the stream it writes, koddar its listing, melplay its standard
// output or, for an expected .wav or .png file, the preview or picture it writes, kodasm the
// image it writes, melmidi the score it writes.
std::string make(const ExampleRun& run, const std::string& folder, const std::string& dir)
{
    std::vector<std::string> args = {folder + "/" + run.input};
    const std::string out = dir + "/out";
    unlink(out.c_str());
    if (run.program == "melvox" || run.program == "kodasm" || run.program == "melmidi") {
        args.push_back(out);
        args.insert(args.end(), run.options.begin(), run.options.end());
        const char* program = run.program == "melvox"   ? MELVOX_PATH
                              : run.program == "kodasm" ? KODASM_PATH
                                                        : MELMIDI_PATH;
        const RunResult r = run_program(program, args);
        EXPECT_EQ(r.status, 0) << r.err;
        if (run.program == "melvox") {
            EXPECT_EQ(r.err, out + " file written.\n");
        }
        return read_file(out);
    }
    args.insert(args.end(), run.options.begin(), run.options.end());
    if (run.program == "koddar") {
        const RunResult r = run_program(KODDAR_PATH, args);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    }
    if (run.program == "melplay") {
        const bool preview = ends_with(run.expected, ".wav"), picture = ends_with(run.expected, ".png");
        if (preview)
            args.push_back("-w:" + out);
        if (picture)
            args.push_back("-p:" + out);
        const RunResult r = run_program(MELPLAY_PATH, args);
        EXPECT_EQ(r.status, 0) << r.err;
        return preview || picture ? read_file(out) : r.out;
    }
    ADD_FAILURE() << "unknown program " << run.program;
    return {};
}

bool is_text(const std::string& s)
{
    for (char c : s)
        if (!std::isprint(static_cast<unsigned char>(c)) && c != '\n' && c != '\t')
            return false;
    return true;
}

// Where two outputs part: the first differing line of a text, or the first differing byte
// of a binary file, so that a listing of hundreds of lines does not flood the report.
std::string first_difference(const std::string& got, const std::string& want)
{
    if (!is_text(got) || !is_text(want)) {
        std::size_t i = 0;
        while (i < got.size() && i < want.size() && got[i] == want[i])
            ++i;
        char text[80];
        std::snprintf(text, sizeof text, "byte %zu of %zu (want %zu bytes)", i, got.size(), want.size());
        return text;
    }
    const std::vector<std::string> g = split_lines(got), w = split_lines(want);
    for (std::size_t i = 0; i < g.size() || i < w.size(); ++i) {
        const std::string a = i < g.size() ? g[i] : "<end>", b = i < w.size() ? w[i] : "<end>";
        if (a != b)
            return "line " + std::to_string(i + 1) + ": got \"" + a + "\", want \"" + b + "\"";
    }
    return "the same lines, different line ends";
}

class RunsTable : public testing::TestWithParam<std::string> {};

TEST_P(RunsTable, EachRunMakesItsExpectedFile)
{
    const std::string folder = SOURCE_ROOT "/" + GetParam();
    const std::vector<ExampleRun> runs = read_runs(folder);
    ASSERT_FALSE(runs.empty());
    const std::string dir = make_scratch_dir();
    ASSERT_FALSE(dir.empty());
    for (const ExampleRun& run : runs) {
        SCOPED_TRACE(GetParam() + "/runs.txt:" + std::to_string(run.line) + ": " + run.expected);
        const std::string expected = read_file(folder + "/" + run.expected);
        ASSERT_FALSE(expected.empty()) << run.expected << " is missing or empty";
        const std::string got = make(run, folder, dir);
        if (got != expected)
            ADD_FAILURE() << run.expected << " differs at " << first_difference(got, expected)
                          << " (tests/golden/regenerate.sh remakes the expected files)";
    }
    std::filesystem::remove_all(dir);
}

// The files a kodasm source of the folder names in quotes after INCLUDE or BINCLUDE.
std::vector<std::string> included_files(const std::string& source)
{
    std::vector<std::string> names;
    std::istringstream lines(read_file(source));
    for (std::string line; std::getline(lines, line);) {
        const auto word = line.find("INCLUDE \"");
        if (word == std::string::npos)
            continue;
        const auto open = word + 9;
        const auto close = line.find('"', open);
        if (close != std::string::npos)
            names.push_back(line.substr(open, close - open));
    }
    return names;
}

// Every file in the folder is an input or an expected output of some run (or the means to
// make them, or a file a kodasm input includes), so nothing there goes unchecked.
TEST_P(RunsTable, EveryFileIsCoveredByARun)
{
    const std::string folder = SOURCE_ROOT "/" + GetParam();
    std::set<std::string> covered = {"runs.txt", "README", "make_inputs.py", "regenerate.sh", "make_joy_mid.py"};
    for (const ExampleRun& run : read_runs(folder)) {
        covered.insert(run.input);
        covered.insert(run.expected);
        covered.insert(run.files.begin(), run.files.end());
        if (run.program == "kodasm")
            for (const std::string& name : included_files(folder + "/" + run.input))
                covered.insert(name);
    }
    DIR* d = opendir(folder.c_str());
    ASSERT_NE(d, nullptr);
    while (dirent* entry = readdir(d)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            EXPECT_TRUE(covered.count(name)) << GetParam() << "/" << name << " is in no run of runs.txt";
        }
    }
    closedir(d);
}

std::string table_name(const testing::TestParamInfo<std::string>& info)
{
    return info.param == "examples" ? "examples" : "golden";
}

INSTANTIATE_TEST_SUITE_P(Tables, RunsTable, testing::Values("examples", "tests/golden"), table_name);

}  // namespace
