// Faults around the files: sources that cannot be read, targets that cannot be written,
// and every failure leaving an existing target exactly as it was.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "run_program.h"
#include "scratch_test.h"

namespace {

const std::string kBanner = "Melvox 2010.02 - converts a text score into a note stream\n";
// Binary content with the bytes a careless rewrite would lose: zeros, high bytes, line ends.
const std::string kOld("\x00\x80\xff old stream\r\n\x1a\x00", 17);

std::string notes(int n)
{
    std::string s = "120";
    for (int i = 0; i < n; ++i)
        s += " D0 1";
    return s;
}

bool is_directory(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

enum class Source { kScore, kDirectory, kMissing, kEmpty };

struct Fault {
    const char* name;
    Source source;
    std::string score;   // score.txt, for Source::kScore
    std::string target;  // relative to the scratch directory unless absolute
    int status;
    std::string err;
    bool keeps_target;  // out.bin held kOld before the run and must still hold it
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const Fault& f, std::ostream* os)
{
    *os << f.name;
}

class MelvoxFaults : public ScratchTest<testing::TestWithParam<Fault>> {};

TEST_P(MelvoxFaults, FailsCleanly)
{
    const Fault& f = GetParam();
    switch (f.source) {
    case Source::kScore: write_file(dir + "/score.txt", f.score); break;
    case Source::kDirectory: ASSERT_EQ(mkdir((dir + "/score.txt").c_str(), 0755), 0); break;
    case Source::kMissing: break;
    case Source::kEmpty: write_file(dir + "/score.txt", ""); break;
    }
    write_file(dir + "/out.bin", kOld);
    ASSERT_EQ(mkdir((dir + "/folder").c_str(), 0755), 0);
    // A full device of our own, never the machine's /dev/full.
    if (f.target == "full" && mknod((dir + "/full").c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "mknod not permitted";
    RunOptions opts;
    opts.cwd = dir;
    const RunResult r = run_program(MELVOX_PATH, {"score.txt", f.target}, opts);
    EXPECT_EQ(r.status, f.status);
    EXPECT_EQ(r.out.substr(0, kBanner.size()), kBanner);
    EXPECT_EQ(r.err, f.err);
    EXPECT_EQ(read_file(dir + "/out.bin"), f.keeps_target ? kOld : std::string());
    EXPECT_TRUE(is_directory(dir + "/folder"));
}

std::string fault_name(const testing::TestParamInfo<Fault>& info)
{
    return info.param.name;
}

const std::string kFullDevice = "ERROR: When saving target file.\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, MelvoxFaults, testing::Values(
    Fault{"source_is_a_directory", Source::kDirectory, "", "out.bin", 1,
          "ERROR: When loading source file.\n", true},
    Fault{"source_missing", Source::kMissing, "", "out.bin", 1, "ERROR: Cannot open source file.\n", true},
    Fault{"source_empty", Source::kEmpty, "", "out.bin", 1, "ERROR: When loading source file.\n", true},
    Fault{"source_without_an_end", Source::kScore, "120" + std::string(63997, ' '), "out.bin", 1,
          "ERROR: Source file too large.\n", true},
    Fault{"target_is_a_directory", Source::kScore, "120 C4 1", "folder", 1,
          "ERROR: Cannot save target file.\n", true},
    Fault{"target_directory_missing", Source::kScore, "120 C4 1", "missing/out.bin", 1,
          "ERROR: Cannot save target file.\n", true},
    // "full" is a character device like /dev/full, made in the scratch directory.
    Fault{"full_device_at_close", Source::kScore, "120 C4 1", "full", 1, kFullDevice, true},
    Fault{"full_device_while_writing", Source::kScore, notes(3000), "full", 1, kFullDevice, true},
    // Nothing to write is no failure, even on a full device.
    Fault{"full_device_empty_stream", Source::kScore, "C4 1", "full", 0,
          "WARNING: No tempo at the start of the score, so the note stream is empty.\nfull file written.\n", true}),
    fault_name);
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(ScoreErrors, MelvoxFaults, testing::Values(
    Fault{"unknown_note", Source::kScore, "120 C4 1 H4 1", "out.bin", 1, "ERROR: Not a correct note.\n", true},
    Fault{"section_left_open", Source::kScore, "120 REPEAT 2 C4 1", "out.bin", 1,
          "ERROR: Not a correct note.\n", true},
    Fault{"nested_section", Source::kScore, "120 REPEAT 2 REPEAT 2", "out.bin", 1,
          "ERROR: Not a correct REPEAT ... END struture.\n", true},
    Fault{"zero_duration", Source::kScore, "120 C4 0", "out.bin", 1, "ERROR: Not a correct note duration.\n",
          true},
    Fault{"duration_too_long", Source::kScore, "1 C4 1000", "out.bin", 1, "ERROR: Note duration too long.\n",
          true},
    Fault{"stream_too_long", Source::kScore, notes(10667), "out.bin", 1, "ERROR: Note stream too long.\n",
          true}),
    fault_name);
// clang-format on

// The one success of the table: the target is replaced whole, not patched.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Replaced, MelvoxFaults, testing::Values(
    Fault{"empty_stream_truncates", Source::kScore, "C4 1", "out.bin", 0,
          "WARNING: No tempo at the start of the score, so the note stream is empty.\nout.bin file written.\n", false}),
    fault_name);
// clang-format on

}  // namespace
