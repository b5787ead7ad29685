// The extraction of example runs: if it went wrong, the document test would
// compare the wrong text or, worse, nothing at all.
#include <gtest/gtest.h>

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

}  // namespace
