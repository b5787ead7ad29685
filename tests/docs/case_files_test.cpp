// Runs the case corpus of each program (converter/tests/cases, disassembler/tests/cases,
// player/tests/cases, assembler/tests/cases, midi/tests/cases): every *.case file is one command line with its
// files and its exact output and status (the format is described in case_file.h).
//
// Commands run as the document runs do: sh(1) in a fresh directory holding the case's files,
// the build directories of the programs first on PATH, LC_ALL=C, POSIXLY_CORRECT unset.
// With CASES_UPDATE=1 in the environment every case file whose output differs is rewritten
// with what the programs print now (tests/golden/regenerate.sh does this); review the change
// with git diff.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "case_file.h"
#include "run_program.h"
#include "shell.h"

namespace {

struct Corpus {
    const char* folder;  // relative to the source root
    const char* program;
    const char* path;  // empty when the program is not built
};

const Corpus kCorpora[] = {
    {"converter/tests/cases", "melvox", MELVOX_PATH}, {"disassembler/tests/cases", "koddar", KODDAR_PATH},
    {"player/tests/cases", "melplay", MELPLAY_PATH},  {"assembler/tests/cases", "kodasm", KODASM_PATH},
    {"midi/tests/cases", "melmidi", MELMIDI_PATH},
};

struct Case {
    const Corpus* corpus;
    std::string name;  // file name without .case
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.corpus->folder << "/" << c.name << ".case";
}

std::vector<Case> all_cases()
{
    std::vector<Case> list;
    for (const Corpus& corpus : kCorpora) {
        std::vector<std::string> names;
        if (DIR* dir = opendir((SOURCE_ROOT "/" + std::string(corpus.folder)).c_str())) {
            while (dirent* entry = readdir(dir)) {
                const std::string file = entry->d_name;
                if (file.size() > 5 && file.compare(file.size() - 5, 5, ".case") == 0)
                    names.push_back(file.substr(0, file.size() - 5));
            }
            closedir(dir);
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            list.push_back({&corpus, name});
    }
    return list;
}

bool built(const char* path)
{
    return *path != '\0' && access(path, X_OK) == 0;
}

class CaseFiles : public testing::TestWithParam<Case> {};

TEST_P(CaseFiles, PrintAndExitAsWritten)
{
    const Case& c = GetParam();
    if (!built(c.corpus->path))
        GTEST_SKIP() << c.corpus->program << " is not built, its cases are not run";
    std::vector<std::string> programs;
    for (const Corpus& corpus : kCorpora)
        if (built(corpus.path))
            programs.push_back(corpus.path);
    put_programs_on_path(programs);

    const std::string path = SOURCE_ROOT "/" + std::string(c.corpus->folder) + "/" + c.name + ".case";
    std::string error;
    CaseFile expected = parse_case(read_file(path), error);
    ASSERT_EQ(error, "") << path;

    const std::string dir = make_scratch_dir();
    ASSERT_FALSE(dir.empty());
    for (const CaseInput& f : expected.files)
        write_file(dir + "/" + f.name, f.bytes);
    const RunResult r = run_shell(expected.command, dir);
    std::filesystem::remove_all(dir);

    const char* update = std::getenv("CASES_UPDATE");
    const bool same = r.status == expected.status && r.out == expected.out && r.err == expected.err;
    if (update && *update && !same) {  // a case that still holds is left as it is written
        CaseFile now = expected;
        now.status = r.status;
        now.out = r.out;
        now.err = r.err;
        ASSERT_TRUE((r.out.empty() || r.out.back() == '\n') && (r.err.empty() || r.err.back() == '\n'))
            << path << ": output without a final newline; pipe it through od";
        std::ofstream(path, std::ios::binary) << format_case(now);
        return;
    }
    EXPECT_EQ(r.status, expected.status) << path;
    EXPECT_EQ(r.out, expected.out) << path << ": standard output";
    EXPECT_EQ(r.err, expected.err) << path << ": standard error";
}

std::string case_test_name(const testing::TestParamInfo<Case>& info)
{
    std::string name = std::string(info.param.corpus->program) + "_" + info.param.name;
    std::replace_if(
        name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CaseFiles, testing::ValuesIn(all_cases()), case_test_name);

}  // namespace
