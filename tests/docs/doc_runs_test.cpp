// The extraction of example runs: if it went wrong, the document test would
// compare the wrong text or, worse, nothing at all.
#include <gtest/gtest.h>

#include "case_file.h"
#include "doc_runs.h"

namespace {

TEST(TroffUnescape, ReplacesTheThreeEscapesOnly)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"od \\-An \\-tx1 x.bin", "od -An -tx1 x.bin"},
        {"printf \"\\e216\\e360\"", "printf \"\\216\\360\""},
        {"F00E 0a        RETS   \\&", "F00E 0a        RETS   "},
        {"\\&.start", ".start"},
        {"\\e\\-", "\\-"},           // the backslash from \e does not start a new escape
        {"a \\(aq b", "a \\(aq b"},  // any other escape stays and shows as a difference
        {"ends in \\", "ends in \\"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(troff_unescape(c.in), c.out) << c.in;
}

struct Expected {
    std::string command;
    std::string output;
    int line;
};

void expect_runs(const std::vector<DocRun>& got, const std::vector<Expected>& want, const std::string& name)
{
    ASSERT_EQ(got.size(), want.size()) << name;
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].command, want[i].command) << name << " run " << i;
        EXPECT_EQ(got[i].expected, want[i].output) << name << " run " << i;
        EXPECT_EQ(got[i].line, want[i].line) << name << " run " << i;
    }
}

TEST(ManRuns, SplitsExampleBlocksIntoCommandsAndOutput)
{
    const struct {
        const char* name;
        const char* page;
        std::vector<Expected> runs;
    } cases[] = {
        {"two commands, the first silent",
         ".SH EXAMPLES\n.EX\n$ printf \"x\\en\" > a\n$ cat a\nx\n.EE\n",
         {{"printf \"x\\n\" > a", "", 3}, {"cat a", "x\n", 4}}},
        {"blank and tab output lines are kept",
         ".EX\n$ melvox s t\n\tD4,0.500000\n\nend\n.EE\n",
         {{"melvox s t", "\tD4,0.500000\n\nend\n", 2}}},
        {"a block not starting with a command is no run",
         ".EX\nmelvox score.txt out.bin\n$ not a run\n.EE\n.EX\n$ ls\n.EE\n",
         {{"ls", "", 6}}},
        {"blocks keep their order", ".EX\n$ a\n1\n.EE\ntext\n.EX\n$ b\n2\n.EE\n", {{"a", "1\n", 2}, {"b", "2\n", 7}}},
        {"no blocks", ".TH X 1\n.SH NAME\nx\n", {}},
        {"a .EX inside a line is not a block", "text .EX\n$ a\n.EE\n", {}},
    };
    for (const auto& c : cases)
        expect_runs(man_runs(c.page), c.runs, c.name);
}

TEST(MarkdownRuns, TakesConsoleBlocksOnly)
{
    const struct {
        const char* name;
        const char* text;
        std::vector<Expected> runs;
    } cases[] = {
        {"console block",
         "# T\n\n```console\n$ koddar -h\nUsage: koddar\n```\n",
         {{"koddar -h", "Usage: koddar\n", 4}}},
        {"other fences and indented code are not runs",
         "```sh\n$ rm -rf /\n```\n    $ melvox\n```console\n$ echo a\na\n```\n",
         {{"echo a", "a\n", 6}}},
        {"escapes are not touched", "```console\n$ od \\-An x\n\\&\n```\n", {{"od \\-An x", "\\&\n", 2}}},
        {"two blocks", "```console\n$ a\n```\ntext\n```console\n$ b\nB\n```\n", {{"a", "", 2}, {"b", "B\n", 6}}},
    };
    for (const auto& c : cases)
        expect_runs(markdown_runs(c.text), c.runs, c.name);
}

// The case file reader: if it lost a section, a case would compare nothing at all.
TEST(CaseFile, ReadsEverySection)
{
    const std::string text =
        "# a comment\n#\n--- command\nkoddar a.bin\necho x\n--- file a.bin hex\n00 ff\n12\n"
        "--- file s.txt\n120 C4 1\n\n--- status 1\n--- stdout\nF000 00   \n--- stderr\nerr\n";
    std::string error;
    const CaseFile c = parse_case(text, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(c.comment, "# a comment\n#\n");
    EXPECT_EQ(c.command, "koddar a.bin\necho x\n");
    ASSERT_EQ(c.files.size(), 2u);
    EXPECT_EQ(c.files[0].name, "a.bin");
    EXPECT_EQ(c.files[0].bytes, std::string("\x00\xff\x12", 3));
    EXPECT_EQ(c.files[1].name, "s.txt");
    EXPECT_EQ(c.files[1].bytes, "120 C4 1\n\n");
    EXPECT_EQ(c.status, 1);
    EXPECT_EQ(c.out, "F000 00   \n");
    EXPECT_EQ(c.err, "err\n");
    // Written back, the text is the same (hex files in lines of 16 bytes).
    CaseFile again = c;
    again.files[0].bytes = std::string(17, '\x01');
    const CaseFile back = parse_case(format_case(again), error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(back.files[0].bytes, again.files[0].bytes);
    EXPECT_EQ(format_case(back), format_case(again));
}

TEST(CaseFile, RefusesMalformedFiles)
{
    const struct {
        const char* text;
        const char* error;
    } rows[] = {
        {"--- status 0\n", "no command"},
        {"--- command\nkoddar\n", "no status"},
        {"--- command\nkoddar\n--- status 0\nstray\n", "a line after the status: stray"},
        {"--- command\nkoddar\n--- status 0\n--- output\n", "unknown section: --- output"},
        {"--- command\nkoddar\n--- file a hex\n0g\n--- status 0\n", "not a hex digit in a hex file"},
        {"--- command\nkoddar\n--- file a hex\n012\n--- status 0\n", "odd number of hex digits"},
        {"--- command\nkoddar\n--- status 0", "the last line has no newline"},
    };
    for (const auto& r : rows) {
        std::string error;
        parse_case(r.text, error);
        EXPECT_EQ(error, r.error) << r.text;
    }
}

}  // namespace
