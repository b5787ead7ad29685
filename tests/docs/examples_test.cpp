// Makes every example in examples/ from the run line that examples/runs.txt
// gives for it and compares the result with the committed expected file.
#include <gtest/gtest.h>

#include <dirent.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "doc_runs.h"
#include "run_program.h"

namespace {

const std::string kExamples = SOURCE_ROOT "/examples";

struct ExampleRun {
    std::string program;  // melvox or koddar
    std::string input;    // file in examples/
    std::vector<std::string> options;
    std::string expected;  // file in examples/
    int line = 0;
};

// One run per line: program, input, options ("-" for none, else separated
// by commas), expected file. Blank lines and lines starting with '#' are
// comments.
std::vector<ExampleRun> read_runs()
{
    std::vector<ExampleRun> runs;
    int number = 0;
    for (const std::string& line : split_lines(read_file(kExamples + "/runs.txt"))) {
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
        for (std::string option; std::getline(list, option, ',');)
            if (option != "-")
                run.options.push_back(option);
        runs.push_back(run);
    }
    return runs;
}

TEST(Examples, EachRunMakesItsExpectedFile)
{
    const std::vector<ExampleRun> runs = read_runs();
    ASSERT_FALSE(runs.empty());
    const std::string dir = make_scratch_dir();
    ASSERT_FALSE(dir.empty());
    for (const ExampleRun& run : runs) {
        SCOPED_TRACE("runs.txt:" + std::to_string(run.line) + ": " + run.input);
        const std::string expected = read_file(kExamples + "/" + run.expected);
        ASSERT_FALSE(expected.empty()) << run.expected << " is missing or empty";
        if (run.program == "melvox") {
            std::vector<std::string> args = {kExamples + "/" + run.input, dir + "/out.bin"};
            args.insert(args.end(), run.options.begin(), run.options.end());
            unlink((dir + "/out.bin").c_str());
            const RunResult r = run_program(MELVOX_PATH, args);
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.err, dir + "/out.bin file written.\n");
            EXPECT_EQ(read_file(dir + "/out.bin"), expected);
        } else if (run.program == "koddar") {
            std::vector<std::string> args = {kExamples + "/" + run.input};
            args.insert(args.end(), run.options.begin(), run.options.end());
            const RunResult r = run_program(KODDAR_PATH, args);
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.out, expected);
        } else {
            ADD_FAILURE() << "unknown program " << run.program;
        }
    }
    std::filesystem::remove_all(dir);
}

// Every file in examples/ is an input or an expected output of some run, so
// no example goes unchecked.
TEST(Examples, EveryFileIsCoveredByARun)
{
    std::set<std::string> covered = {"runs.txt", "README"};
    for (const ExampleRun& run : read_runs()) {
        covered.insert(run.input);
        covered.insert(run.expected);
    }
    DIR* dir = opendir(kExamples.c_str());
    ASSERT_NE(dir, nullptr);
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            EXPECT_TRUE(covered.count(name)) << "examples/" << name << " is in no run of runs.txt";
        }
    }
    closedir(dir);
}

}  // namespace
