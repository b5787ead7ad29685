// Runs every example shown in README.md and in the man pages and compares
// what the programs print with what the documents say, byte for byte.
//
// How the runs are found and what their output means: see doc_runs.h.
// Commands run with sh(1), the build directories of the programs first on
// PATH, LC_ALL=C and POSIXLY_CORRECT unset.
//   README.md:  one fresh directory holding a copy of examples/, so that
//               "examples/delay.bin" names the bundled file as it does in a
//               clone; standard error goes to the same file as standard output
//               (2>&1), which keeps the order a terminal shows.
//   man/*.[1-8]: one fresh, empty directory per page; each program's banner
//               line (melvox: first line of standard output; koddar, melplay, kodasm, melmidi:
//               first line of standard error) is left out wherever it appears.
// A page named after a program that is not built is skipped with a message.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "doc_runs.h"
#include "run_program.h"
#include "shell.h"

namespace {

struct Program {
    std::string path;       // empty when the program is not built
    bool banner_on_stdout;  // otherwise on standard error
};

const std::map<std::string, Program>& programs()
{
    static const std::map<std::string, Program> table = {
        {"melvox", {MELVOX_PATH, true}},  {"koddar", {KODDAR_PATH, false}},   {"melplay", {MELPLAY_PATH, false}},
        {"kodasm", {KODASM_PATH, false}}, {"melmidi", {MELMIDI_PATH, false}},
    };
    return table;
}

bool built(const std::string& path)
{
    return !path.empty() && access(path.c_str(), X_OK) == 0;
}

// Puts the build directories first on PATH, once.
void prepare_environment()
{
    std::vector<std::string> paths;
    for (const auto& [name, program] : programs())
        if (built(program.path))
            paths.push_back(program.path);
    put_programs_on_path(paths);
}

std::string first_line(const std::string& text)
{
    return text.substr(0, text.find('\n') + 1);
}

// The banner line of each built program, with its newline, as printed for -h.
struct Banner {
    std::string line;
    bool on_stdout;
};

std::vector<Banner> banners()
{
    std::vector<Banner> list;
    for (const auto& [name, program] : programs()) {
        if (!built(program.path))
            continue;
        const RunResult r = run_program(program.path, {"-h"});
        const std::string line = first_line(program.banner_on_stdout ? r.out : r.err);
        if (!line.empty() && line.back() == '\n')
            list.push_back({line, program.banner_on_stdout});
    }
    return list;
}

std::string without_line(const std::string& text, const std::string& line)
{
    std::string out;
    for (const std::string& l : split_lines(text))
        if (l + '\n' != line)
            out += l + '\n';
    // split_lines drops a missing final newline; keep the text as it was then.
    if (!text.empty() && text.back() != '\n' && !out.empty())
        out.pop_back();
    return out;
}

struct Document {
    std::string name;     // file name relative to the source root
    std::string program;  // program that must be built, empty for any
    bool man_page;
};

std::vector<Document> documents()
{
    std::vector<Document> list = {{"README.md", "", false}};
    std::vector<std::string> pages;
    if (DIR* dir = opendir(SOURCE_ROOT "/man")) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            const auto dot = name.rfind('.');
            if (dot != std::string::npos && dot + 2 == name.size() && name[dot + 1] >= '1' && name[dot + 1] <= '8')
                pages.push_back(name);
        }
        closedir(dir);
    }
    std::sort(pages.begin(), pages.end());
    for (const std::string& page : pages)
        list.push_back({"man/" + page, page.substr(0, page.rfind('.')), true});
    return list;
}

// Names the document in test output instead of dumping its bytes.
void PrintTo(const Document& doc, std::ostream* os)
{
    *os << doc.name;
}

class DocumentRuns : public testing::TestWithParam<Document> {};

TEST_P(DocumentRuns, PrintWhatTheDocumentShows)
{
    const Document& doc = GetParam();
    prepare_environment();
    if (!doc.program.empty()) {
        const auto found = programs().find(doc.program);
        if (found == programs().end() || !built(found->second.path)) {
            GTEST_SKIP() << doc.name << ": " << doc.program << " is not built, its runs are not checked";
        }
    }

    const std::string text = read_file(SOURCE_ROOT "/" + doc.name);
    const std::vector<DocRun> runs = doc.man_page ? man_runs(text) : markdown_runs(text);
    ASSERT_FALSE(runs.empty()) << doc.name << " shows no example run";

    const std::string dir = make_scratch_dir();
    ASSERT_FALSE(dir.empty());
    if (!doc.man_page) {
        ASSERT_EQ(run_shell("cp -R '" SOURCE_ROOT "/examples' examples", dir).status, 0);
    }
    const std::vector<Banner> banner_lines = banners();

    for (const DocRun& run : runs) {
        std::string output;
        if (doc.man_page) {
            RunResult r = run_shell(run.command, dir);
            for (const Banner& b : banner_lines) {
                std::string& stream = b.on_stdout ? r.out : r.err;
                stream = without_line(stream, b.line);
            }
            output = r.out + r.err;
        } else {
            const RunResult r = run_shell("exec 2>&1\n" + run.command, dir);
            output = r.out + r.err;
        }
        EXPECT_EQ(output, run.expected) << doc.name << ":" << run.line << ": $ " << run.command;
    }
    run_shell("rm -rf '" + dir + "'", "/");
}

std::string document_test_name(const testing::TestParamInfo<Document>& info)
{
    std::string name = info.param.name;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Docs, DocumentRuns, testing::ValuesIn(documents()), document_test_name);

}  // namespace
