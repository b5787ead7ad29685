// End to end, generated: streams sent round through melplay -s and melvox (the command-line
// cases are files in cases/).
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
bool exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

class Melplay : public ScratchTest<> {
protected:
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
        // "120\n", two "C4 1\n" and 4922 "REPEAT 2\nEND\n": 64000 bytes, also at tempo 3960.
        {"64000 text bytes", notes(2, c4) + notes(4922, section) + zero,
         "Warning: melvox will refuse this score (64000 text bytes, 9851 stream bytes; "
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
