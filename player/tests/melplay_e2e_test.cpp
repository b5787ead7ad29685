// End to end: the built melplay (and melvox for the round trip) in a scratch directory.
#include <gtest/gtest.h>

#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "run_program.h"
#include "scratch_test.h"

namespace {

const std::string kBanner = "Melplay 2026.12 - note stream checker, lister and previewer\n";
const std::string kUsage = "Usage: melplay streamFile [-t:1|3] [-w:wavFile] [-s]\n";
const std::string kOneArg = "One argument required: streamFile.\n";
const std::string kWorked3("\x30\x21\x00\x82\x32\x11\x00\x01\x09\x00\x80\x00", 12);
const std::string kListing3 =
    "offset       start  note   divisor    duration\n"
    "     0    0.000000  C4          33    0.500000\n"
    "     3    0.500000  REPEAT x2\n"
    "     4    0.500000    D4        17    0.257576\n"
    "     7    0.757576    REST       9    0.136364\n"
    "    10    1.287879  END\n"
    "3 note events, 1.287879 s in all\n";
const std::string kTooLong = "Stream file too long: melplay reads at most 65536 bytes.\n";
const std::string kBadLimit = "Preview limit must be -l:1 to -l:48696 (seconds).\n";
const std::string kScore3 = "3960\nC4 33\nREPEAT 2\n  D4 17\n  REST 9\nEND\n";

bool exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

class Melplay : public ScratchTest<> {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        write_file(dir + "/s.bin", kWorked3);
    }
    RunResult run(const std::string& exe, const std::vector<std::string>& args,
                  const std::vector<std::string>& env = {}, const std::string& stdout_path = {})
    {
        RunOptions opts;
        opts.cwd = dir;
        opts.env = env;
        opts.stdout_path = stdout_path;
        return run_program(exe, args, opts);
    }
};

struct Case {  // NOLINT(clang-analyzer-optin.performance.Padding): a test table
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> env;
    int status;
    std::string out;
    std::string err;           // after the banner; the tail only when err_is_tail
    bool err_is_tail = false;  // getopt's own line comes first
};

TEST_F(Melplay, CommandLine)
{
    mkdir((dir + "/adir").c_str(), 0755);
    write_file(dir + "/bad.bin", std::string("\x30\x21", 2));
    std::string big;
    for (int i = 0; i < 21845; ++i)
        big += std::string("\x30\x21\x00", 3);
    write_file(dir + "/big.bin", big + std::string(2, '\0'));
    const Case cases[] = {
        {"listing, type 3", {"s.bin", "-t:3"}, {}, 0, kListing3, ""},
        {"options before the operand", {"-t:3", "s.bin"}, {}, 0, kListing3, ""},
        {"separate option word", {"-t", ":3", "s.bin"}, {}, 0, kListing3, ""},
        {"score, type 3", {"s.bin", "-s", "-t:3"}, {}, 0, kScore3, ""},
        {"usage", {"-h", "s.bin"}, {}, 1, kUsage, ""},
        {"no operand", {}, {}, 1, "", kOneArg},
        {"two operands", {"s.bin", "s.bin"}, {}, 1, "", kOneArg},
        {"type without the colon", {"s.bin", "-t3"}, {}, 1, "", "Output type must be -t:1 or -t:3.\n"},
        {"type 2", {"s.bin", "-t:2"}, {}, 1, "", "Output type must be -t:1 or -t:3.\n"},
        {"empty wav name", {"s.bin", "-w:"}, {}, 1, "", "Empty WAV file name, expected -w:wavFile.\n"},
        {"empty wav word", {"s.bin", "-w", ""}, {}, 1, "", "Empty WAV file name, expected -w:wavFile.\n"},
        {"type without value", {"s.bin", "-t"}, {}, 1, "", "Option -t requires an argument.\n", true},
        {"wav without value", {"s.bin", "-w"}, {}, 1, "", "Option -w requires an argument.\n", true},
        {"unknown option", {"s.bin", "-x"}, {}, 1, "", "Unknown option `-x'.\n", true},
        {"unknown high byte", {"s.bin", "-\xc3"}, {}, 1, "", "Unknown option character `\\xc3'.\n", true},
        {"unknown control byte", {"s.bin", "-\x01"}, {}, 1, "", "Unknown option character `\\x1'.\n", true},
        {"POSIXLY_CORRECT stops at the operand", {"s.bin", "-t:3"}, {"POSIXLY_CORRECT=1"}, 1, "", kOneArg},
        {"missing source", {"none.bin"}, {}, 1, "", "Cannot open source file.\n"},
        {"directory source", {"adir"}, {}, 1, "", "Cannot open source file.\n"},
        {"faulty stream", {"bad.bin"}, {}, 1, "", "Offset 0: note event cut short, expected 3 bytes.\n"},
        {"endless input", {"/dev/zero"}, {}, 1, "", kTooLong},
        {"one byte past the input limit", {"big.bin"}, {}, 1, "", kTooLong},
        {"preview limit 0", {"s.bin", "-l:0"}, {}, 1, "", kBadLimit},
        {"preview limit past the WAV bound", {"s.bin", "-l:48697"}, {}, 1, "", kBadLimit},
        {"preview limit far past it", {"s.bin", "-l:99999999999999999999"}, {}, 1, "", kBadLimit},
        {"preview limit not a number", {"s.bin", "-l:1m"}, {}, 1, "", kBadLimit},
        {"preview limit empty", {"s.bin", "-l:"}, {}, 1, "", kBadLimit},
        {"preview limit without value", {"s.bin", "-l"}, {}, 1, "", "Option -l requires an argument.\n", true},
        {"preview past its limit",
         {"s.bin", "-t:3", "-l:1", "-w:x.wav"},
         {},
         1,
         kListing3,
         "Preview too long: 1.3 s, more than 1 s (raise the limit with -l:seconds, up to 48696).\n"},
        {"preview within its limit", {"s.bin", "-t:3", "-l:2", "-w:x.wav"}, {}, 0, kListing3, "x.wav file written.\n"},
        {"the WAV bound as the limit",
         {"s.bin", "-t:3", "-l:48696", "-w:x.wav"},
         {},
         0,
         kListing3,
         "x.wav file written.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RunResult r = run(MELPLAY_PATH, c.args, c.env);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        ASSERT_EQ(r.err.rfind(kBanner, 0), 0u) << r.err;
        std::string err = r.err.substr(kBanner.size());
        if (c.err_is_tail) {
            ASSERT_GE(err.size(), c.err.size());
            EXPECT_EQ(err.substr(err.size() - c.err.size()), c.err);
            EXPECT_NE(err.size(), c.err.size());  // getopt spoke first
        } else {
            EXPECT_EQ(err, c.err);
        }
    }
}

TEST_F(Melplay, PreviewFileAndItsFailures)
{
    RunResult r = run(MELPLAY_PATH, {"s.bin", "-t:3", "-w:out.wav"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kListing3);
    EXPECT_EQ(r.err, kBanner + "out.wav file written.\n");
    EXPECT_EQ(read_file(dir + "/out.wav").size(), 44u + 2 * 56795);

    // Too long for a WAV file: refused, nothing written.
    write_file(dir + "/huge.bin", std::string("\xFF\x02\xFF\xFF\x80\x00", 6));
    r = run(MELPLAY_PATH, {"huge.bin", "-w:huge.wav", "-s"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "60\nREPEAT 127\n  D0 1747.6\nEND\n");
    EXPECT_EQ(r.err, kBanner + "Preview too long: a WAV file holds at most 2147483629 samples (48696 s).\n");
    EXPECT_FALSE(exists(dir + "/huge.wav"));

    // The stream file itself, through another name: refused, the stream kept.
    r = run(MELPLAY_PATH, {"s.bin", "-w:./s.bin"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.substr(kBanner.size()), "Preview file ./s.bin is the stream file itself.\n");
    EXPECT_EQ(read_file(dir + "/s.bin"), kWorked3);

    // Past the default limit of 30 minutes (twice 992.95 s): refused, nothing written.
    write_file(dir + "/long.bin", std::string("\x82\x30\xFF\xFF\x80\x00", 6));
    r = run(MELPLAY_PATH, {"long.bin", "-t:3", "-w:long.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.substr(kBanner.size()),
              "Preview too long: 1985.9 s, more than 1800 s (raise the limit with -l:seconds, up to 48696).\n");
    EXPECT_FALSE(exists(dir + "/long.wav"));

    // The longest stream melplay reads: accepted.
    std::string longest;
    for (int i = 0; i < 21845; ++i)
        longest += std::string("\x01\x01\x00", 3);
    write_file(dir + "/longest.bin", longest + std::string(1, '\0'));
    r = run(MELPLAY_PATH, {"longest.bin"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, kBanner);

    // A lost listing is a failure too.
    r = run(MELPLAY_PATH, {"s.bin"}, {}, "/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, kBanner + "Cannot write standard output.\n");
}

// melplay -s, then melvox on the score: the same bytes.
TEST_F(Melplay, RoundTripThroughBothPrograms)
{
    std::vector<std::string> streams;
    glob_t g{};
    if (glob(EXAMPLES_DIR "/*.txt", 0, nullptr, &g) == 0) {
        for (std::size_t i = 0; i < g.gl_pathc; ++i) {
            std::string bin = std::string(g.gl_pathv[i]);
            bin = bin.substr(0, bin.size() - 4) + ".bin";
            if (exists(bin))
                streams.push_back(read_file(bin));
        }
    }
    globfree(&g);
    std::mt19937 rng(66);
    for (int i = 0; i < 4; ++i) {
        std::string s;
        for (int n = 0; n < 20; ++n) {
            unsigned divisor = std::uniform_int_distribution<unsigned>(1, 65535)(rng);
            s += static_cast<char>(std::uniform_int_distribution<int>(1, 95)(rng));
            s += static_cast<char>(divisor & 0xFF);
            s += static_cast<char>(divisor >> 8);
        }
        std::string stream = "\x85";  // REPEAT 5, the notes, END, the notes again
        stream += s;
        stream += '\x80';
        stream += s;
        stream += '\0';
        streams.push_back(stream);
    }
    ASSERT_GT(streams.size(), 4u);
    for (std::size_t i = 0; i < streams.size(); ++i) {
        for (const char* type : {"-t:1", "-t:3"}) {
            SCOPED_TRACE(std::to_string(i) + type);
            write_file(dir + "/in.bin", streams[i]);
            RunResult r = run(MELPLAY_PATH, {"in.bin", "-s", type}, {}, dir + "/score.txt");
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(r.err, kBanner);
            unlink((dir + "/back.bin").c_str());
            r = run(MELVOX_PATH, {"score.txt", "back.bin", type});
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(read_file(dir + "/back.bin"), streams[i]);
        }
    }
}

TEST_F(Melplay, ScoreBeyondTheConverterLimitsWarns)
{
    auto notes = [](int n, const std::string& event) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += event;
        return s;
    };
    const std::string short_c4("\x30\x01\x00", 3), c4("\x30\x21\x00", 3);
    const std::string section("\x82\x80", 2);
    const std::string zero(1, '\0');
    struct Limit {
        const char* name;
        std::string stream;
        std::string warning;  // empty: none, and melvox takes the score back
    };
    const Limit cases[] = {
        {"32000 stream bytes", notes(10665, short_c4) + section + section + zero, ""},
        {"32001 stream bytes", notes(10666, short_c4) + section + zero,
         "Warning: melvox will refuse this score (53348 text bytes, 32001 stream bytes; "
         "it takes at most 63999 and 32000).\n"},
        {"64001 text bytes", notes(10666, c4) + zero,
         "Warning: melvox will refuse this score (64001 text bytes, 31999 stream bytes; "
         "it takes at most 63999 and 32000).\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(dir + "/long.bin", c.stream);
        RunResult r = run(MELPLAY_PATH, {"long.bin", "-s", "-t:3"}, {}, dir + "/score.txt");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, kBanner + c.warning);
        if (c.warning.empty()) {
            r = run(MELVOX_PATH, {"score.txt", "back.bin", "-t:3"});
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(read_file(dir + "/back.bin"), c.stream);
        }
    }
}

}  // namespace
