// End to end: the built melvox run on files in a scratch directory.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "run_program.h"
#include "scratch_test.h"

namespace {

const std::string kBanner = "Melvox 2010.02 - converts a text score into a note stream\n";
const std::string kUsage = "Usage: melvox sourceFile targetFile [-t:1|3]\n";
const std::string kTwoArgs = "Two arguments required: sourceFile targetFile.\n";
const std::string kExample = "120 C4 1 REPEAT 2 D4 0.5 REST 0.25 END\n";
const std::string kExampleEcho = "C4,1.000000\nREPEAT x2\n\tD4,0.500000\n\tREST,0.250000\nEND\n";
const std::string kType1("\x30\x06\x01\x82\x32\x93\x00\x01\x0D\x00\x80\x00", 12);
const std::string kType3("\x30\x21\x00\x82\x32\x11\x00\x01\x09\x00\x80\x00", 12);
const std::string kKeep = "previous content";
const char kAbsent[] = "<absent>";
const std::string kNoTempo = "WARNING: No tempo at the start of the score, so the note stream is empty.\n";

bool exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool ends_with(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string many_notes(int n)
{
    std::string s = "120";
    for (int i = 0; i < n; ++i)
        s += " D0 1";
    return s;
}

struct Case {
    const char* name;
    std::vector<std::string> args;  // run in the scratch directory
    std::string score;              // written to score.txt
    std::vector<std::string> env;
    int status;
    std::string out;                    // after the banner
    std::string err;                    // exact, or the tail after getopt's line when err_is_tail
    std::string target;                 // out.bin afterwards; kAbsent when it must not exist
    bool target_exists_before = false;  // out.bin holds kKeep before the run
    bool err_is_tail = false;
};

class Melvox : public ScratchTest<> {
protected:
    RunResult run(const std::vector<std::string>& args, const std::vector<std::string>& env = {})
    {
        RunOptions opts;
        opts.cwd = dir;
        opts.env = env;
        return run_program(MELVOX_PATH, args, opts);
    }
    void check(const Case& c)
    {
        SCOPED_TRACE(c.name);
        write_file(dir + "/score.txt", c.score);
        std::string target = dir + "/out.bin";
        unlink(target.c_str());
        if (c.target_exists_before)
            write_file(target, kKeep);
        RunResult r = run(c.args, c.env);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, kBanner + c.out);
        if (c.err_is_tail)
            EXPECT_TRUE(ends_with(r.err, c.err)) << r.err;
        else
            EXPECT_EQ(r.err, c.err);
        if (c.target == kAbsent)
            EXPECT_FALSE(exists(target));
        else
            EXPECT_EQ(read_file(target), c.target);
    }
};

TEST_F(Melvox, ConvertsAScore)
{
    const std::string written = "out.bin file written.\n";
    // clang-format off
    const Case cases[] = {
        {"type 1 by default", {"score.txt", "out.bin"}, kExample, {}, 0, kExampleEcho, written, kType1},
        {"type 3 after the operands", {"score.txt", "out.bin", "-t:3"}, kExample, {}, 0,
         kExampleEcho, written, kType3},
        {"type 3 as a separate word", {"-t", ":3", "score.txt", "out.bin"}, kExample, {}, 0,
         kExampleEcho, written, kType3},
        {"-t:2 and -t3 ignored", {"-t:3", "-t:2", "score.txt", "-t3", "out.bin"}, kExample, {}, 0,
         kExampleEcho, written, kType3},
        {"CR LF line ends", {"score.txt", "out.bin"}, "120\r\nC4 1\r\nREPEAT 2\r\nD4 0.5\r\nREST 0.25\r\nEND\r\n",
         {}, 0, kExampleEcho, written, kType1},
        {"existing target replaced", {"score.txt", "out.bin"}, kExample, {}, 0, kExampleEcho,
         written, kType1, true},
        {"no tempo: empty stream", {"score.txt", "out.bin"}, "C4 1\n", {}, 0, "", kNoTempo + written, "", true},
        {"byte order mark skipped", {"score.txt", "out.bin"}, "\xEF\xBB\xBF" + kExample, {}, 0, kExampleEcho,
         written, kType1},
        {"byte order mark alone", {"score.txt", "out.bin"}, "\xEF\xBB\xBF", {}, 0, "", kNoTempo + written, ""},
        {"byte order mark only first", {"score.txt", "out.bin"}, "\xEF\xBB\xBF\xEF\xBB\xBF" + kExample, {}, 0, "",
         kNoTempo + written, ""},
        {"tempo only", {"score.txt", "out.bin"}, "120\n", {}, 0, "", written, std::string(1, '\0')},
        {"63999 bytes", {"score.txt", "out.bin"}, "120" + std::string(63996, ' '), {}, 0, "",
         written, std::string(1, '\0')},
        {"64000 bytes ending in a zero", {"score.txt", "out.bin"},
         "120" + std::string(63996, ' ') + '\0', {}, 0, "", written, std::string(1, '\0')},
    };
    // clang-format on
    for (const auto& c : cases)
        check(c);
}

TEST_F(Melvox, RefusesTheCommandLine)
{
    const std::string same = "ERROR: Same filename for source and target files.\n";
    // clang-format off
    const Case cases[] = {
        {"no operands", {}, kExample, {}, 1, "", kTwoArgs, kAbsent},
        {"one operand", {"score.txt"}, kExample, {}, 1, "", kTwoArgs, kAbsent},
        {"three operands", {"score.txt", "out.bin", "x"}, kExample, {}, 1, "", kTwoArgs, kAbsent},
        {"no permutation under POSIXLY_CORRECT", {"score.txt", "out.bin", "-t:3"}, kExample,
         {"POSIXLY_CORRECT=1"}, 1, "", kTwoArgs, kAbsent},
        {"-h with operands", {"score.txt", "out.bin", "-h"}, kExample, {}, 1, kUsage, "", kAbsent},
        {"-t missing its argument", {"score.txt", "out.bin", "-t"}, kExample, {}, 1, "",
         "Option -t requires an argument.\n", kAbsent, false, true},
        {"unknown option", {"-x", "score.txt", "out.bin"}, kExample, {}, 1, "",
         "Unknown option `-x'.\n", kAbsent, false, true},
        {"non-printable option byte", {"-\xc3", "score.txt", "out.bin"}, kExample, {}, 1, "",
         "Unknown option character `\\xc3'.\n", kAbsent, false, true},
        {"same string", {"out.bin", "out.bin"}, kExample, {}, 1, "", same, kAbsent},
        {"same file, two texts", {"score.txt", "./score.txt"}, kExample, {}, 1, "", same, kAbsent},
    };
    // clang-format on
    for (const auto& c : cases)
        check(c);
}

TEST_F(Melvox, ProtectsTheScoreFromItsOwnTarget)
{
    write_file(dir + "/score.txt", kExample);
    ASSERT_EQ(link((dir + "/score.txt").c_str(), (dir + "/hard.txt").c_str()), 0);
    ASSERT_EQ(symlink("score.txt", (dir + "/soft.txt").c_str()), 0);
    const std::vector<std::vector<std::string>> lines = {
        {"score.txt", dir + "/score.txt"},
        {"score.txt", "hard.txt"},
        {"soft.txt", "score.txt"},
        {"score.txt", "soft.txt", "-t:3"},
    };
    for (const auto& args : lines) {
        SCOPED_TRACE(args[1]);
        RunResult r = run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, kBanner);
        EXPECT_EQ(r.err, "ERROR: Same filename for source and target files.\n");
        EXPECT_EQ(read_file(dir + "/score.txt"), kExample);
    }
}

TEST_F(Melvox, ReportsFailuresWithStatus1)
{
    const std::string no_stream = "ERROR: Note stream too long.\n";
    // clang-format off
    const Case cases[] = {
        {"missing source", {"none.txt", "out.bin"}, "", {}, 1, "",
         "ERROR: Cannot open source file.\n", kAbsent},
        {"empty source", {"score.txt", "out.bin"}, "", {}, 1, "",
         "ERROR: When loading source file.\n", kAbsent},
        {"64000 bytes without a zero", {"score.txt", "out.bin"}, "120" + std::string(63997, ' '),
         {}, 1, "", "ERROR: Source file too large.\n", kKeep, true},
        {"zero only after 64000 bytes", {"score.txt", "out.bin"},
         "120" + std::string(63997, ' ') + '\0', {}, 1, "", "ERROR: Source file too large.\n",
         kAbsent},
        {"score error leaves the target alone", {"score.txt", "out.bin"}, "120 C4 1 C4\n", {}, 1,
         "C4,1.000000\n", "ERROR: Not a correct note duration.\n", kKeep, true},
        {"unknown note", {"score.txt", "out.bin"}, "120 H4 1\n", {}, 1, "H4\n",
         "ERROR: Not a correct note.\n", kAbsent},
        {"section left open", {"score.txt", "out.bin"}, "120 REPEAT 3 C4 1\n", {}, 1,
         "REPEAT x3\n\tC4,1.000000\n", "ERROR: Not a correct note.\n", kAbsent},
        {"END outside a section", {"score.txt", "out.bin"}, "120 END\n", {}, 1, "",
         "ERROR: Not a correct REPEAT ... END struture.\n", kAbsent},
        {"note too long", {"-t:3", "score.txt", "out.bin"}, "1 C4 16.55\n", {}, 1, "",
         "ERROR: Note duration too long.\n", kAbsent},
        {"target directory missing", {"score.txt", "no/such/dir/out.bin"}, kExample, {}, 1,
         kExampleEcho, "ERROR: Cannot save target file.\n", kAbsent},
    };
    // clang-format on
    for (const auto& c : cases)
        check(c);
}

TEST_F(Melvox, RefusesAStreamPastTheBuffer)
{
    write_file(dir + "/score.txt", many_notes(10667));
    write_file(dir + "/out.bin", kKeep);
    RunResult r = run({"score.txt", "out.bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: Note stream too long.\n");
    EXPECT_TRUE(ends_with(r.out, "D0,1.000000\n"));
    EXPECT_EQ(read_file(dir + "/out.bin"), kKeep);

    write_file(dir + "/score.txt", many_notes(10666));
    r = run({"score.txt", "out.bin"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_file(dir + "/out.bin").size(), 31999u);
}

// Standard output is checked last: the stream is written all the same.
TEST_F(Melvox, ReportsALostEcho)
{
    write_file(dir + "/score.txt", kExample);
    const struct {
        std::vector<std::string> args;
        std::string err;
        std::string target;
    } cases[] = {
        {{"score.txt", "out.bin"}, "out.bin file written.\nCannot write standard output.\n", kType1},
        {{"-h"}, "Cannot write standard output.\n", kAbsent},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        unlink((dir + "/out.bin").c_str());
        RunOptions opts;
        opts.cwd = dir;
        opts.stdout_path = "/dev/full";
        RunResult r = run_program(MELVOX_PATH, c.args, opts);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.err);
        if (c.target == kAbsent)
            EXPECT_FALSE(exists(dir + "/out.bin"));
        else
            EXPECT_EQ(read_file(dir + "/out.bin"), c.target);
    }
}

TEST_F(Melvox, ExampleScoreGivesItsCommittedStream)
{
    const std::string examples = EXAMPLES_DIR;
    RunResult r = run({examples + "/ode_to_joy.txt", "ode.bin"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "ode.bin file written.\n");
    EXPECT_EQ(read_file(dir + "/ode.bin"), read_file(examples + "/ode_to_joy.bin"));
    EXPECT_EQ(read_file(dir + "/ode.bin").size(), 189u);
}

}  // namespace
