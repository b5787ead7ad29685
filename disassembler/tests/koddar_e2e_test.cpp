// Runs the built koddar: command line, address window, streams and exit status.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "run_program.h"

namespace {

const std::string kBanner = "Koddar - TMS7020/7040 disassembler - version 2010.01\n";
const std::string kUsage = "Usage: koddar sourceFile [-r:0xRelocAdr] [-s:0xStartAdr] [-e:0xEndAdr]\n";

std::string nop(unsigned address)
{
    char line[40];
    std::snprintf(line, sizeof line, "%04X 00        NOP    \n", address);
    return line;
}

std::string nops(unsigned first, unsigned count)
{
    std::string lines;
    for (unsigned i = 0; i < count; ++i)
        lines += nop(first + i);
    return lines;
}

// small.bin: NOP; MOV SUICOM-1,SUICOM; TRAP 23.
std::string small_listing(const char* a0, const char* a1, const char* a4, bool wide)
{
    const std::string gap = wide ? "" : "    ";
    return std::string(a0) + (wide ? " 00    " : " 00        ") + "NOP    \n" + a1 + " 420506" + gap +
           "MOV    SUICOM-1,SUICOM\n" + a4 + (wide ? " e8    " : " e8        ") + "TRAP   23\n";
}

// img32.bin at F000: 16 NOPs, MOV at 10, CALL at 12, 9 NOPs, and a MOVD at 1E cut short
// by the end of the file.
const std::string kMovLine = "F010 220a      MOV    %$0A,A\n";
const std::string kCallLine = "F012 8ef000    CALL   $F000\n";
const std::string kMovdLine = "F01E 88120000  MOVD   %$1200,A\n";

class KoddarRun : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = make_scratch_dir();
        write_file(dir + "/small.bin", std::string("\x00\x42\x05\x06\xe8", 5));
        std::string img32(32, '\0');
        img32.replace(0x10, 5, "\x22\x0a\x8e\xf0\x00", 5);
        img32.replace(0x1E, 2, "\x88\x12", 2);
        write_file(dir + "/img32.bin", img32);
        write_file(dir + "/empty.bin", "");
        mkdir((dir + "/folder.bin").c_str(), 0755);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(dir); }
    static std::string dir;
};
std::string KoddarRun::dir;

struct Case {
    const char* title;
    std::vector<std::string> args;  // a word starting with '@' names a file of the scratch directory
    int status;
    std::string out;
    std::string err;            // what follows the banner on the standard error
    bool after_getopt = false;  // err follows getopt's own diagnostic
    std::vector<std::string> env = {};
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.title;
}

class Cases : public KoddarRun, public testing::WithParamInterface<Case> {};

std::string case_title(const testing::TestParamInfo<Case>& info)
{
    return info.param.title;
}

TEST_P(Cases, PrintsAndExitsAsExpected)
{
    const Case& c = GetParam();
    std::vector<std::string> args;
    for (const auto& word : c.args)
        args.push_back(!word.empty() && word[0] == '@' ? dir + "/" + word.substr(1) : word);
    RunOptions opts;
    opts.env = c.env;
    const RunResult r = run_program(KODDAR_PATH, args, opts);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    if (c.after_getopt) {
        ASSERT_GE(r.err.size(), kBanner.size() + c.err.size());
        EXPECT_EQ(r.err.substr(0, kBanner.size()), kBanner);
        EXPECT_EQ(r.err.substr(r.err.size() - c.err.size()), c.err);
        EXPECT_GT(r.err.size(), kBanner.size() + c.err.size()) << "getopt's diagnostic is missing";
    } else {
        EXPECT_EQ(r.err, kBanner + c.err);
    }
}

const char* const kOutOfRange = "Dump address out of range.\n";
const char* const kOneArgument = "One argument required: sourceFile.\n";
const char* const kCannotOpen = "Cannot open source file.\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Window, Cases, testing::Values(
    Case{"no_options", {"@small.bin"}, 0, small_listing("0000", "0001", "0004", false), ""},
    Case{"relocated", {"@small.bin", "-r:0xF000"}, 0, small_listing("F000", "F001", "F004", false), ""},
    Case{"start_and_end", {"-r:0xF000", "-s:0xF010", "-e:0xF01F", "@img32.bin"}, 0,
         kMovLine + kCallLine + nops(0xF015, 9) + kMovdLine, ""},
    Case{"start_zero_means_not_given", {"-s:0", "-r:0xF000", "@small.bin"}, 0,
         small_listing("F000", "F001", "F004", false), ""},
    Case{"start_equals_end", {"-r:0xF000", "-s:0xF012", "-e:0xF012", "@img32.bin"}, 0, kCallLine, ""},
    Case{"end_inside_an_instruction", {"-r:0xF000", "-s:0xF010", "-e:0xF013", "@img32.bin"}, 0,
         kMovLine + kCallLine, ""},
    Case{"end_at_last_byte", {"-r:0xF000", "-s:0xF01E", "-e:0xF01F", "@img32.bin"}, 0, kMovdLine, ""},
    Case{"end_past_last_byte", {"-r:0xF000", "-e:0xF020", "@img32.bin"}, 1, "", kOutOfRange},
    Case{"start_past_last_byte", {"-r:0xF000", "-s:0xF020", "@img32.bin"}, 1, "", kOutOfRange},
    Case{"start_below_reloc", {"-r:0xF000", "-s:0xE000", "@img32.bin"}, 1, "", "Bad starting address.\n"},
    Case{"end_below_start", {"-r:0xF000", "-s:0xF010", "-e:0xF00F", "@img32.bin"}, 1, "", "Bad ending address.\n"},
    Case{"end_below_reloc", {"-r:0xF000", "-e:0xE000", "@img32.bin"}, 1, "", "Bad ending address.\n"},
    Case{"both_bad_only_first_reported", {"-r:0xF000", "-s:0xE000", "-e:0xD000", "@img32.bin"}, 1, "",
         "Bad starting address.\n"},
    Case{"addresses_checked_before_the_file", {"-r:0xF000", "-s:0xE000", "@missing.bin"}, 1, "",
         "Bad starting address.\n"},
    Case{"negative_reloc", {"-r:-0x10", "@small.bin"}, 0,
         small_listing("FFFFFFF0", "FFFFFFF1", "FFFFFFF4", true), ""},
    Case{"reloc_wraps_past_7FFFFFFF", {"-r:0x7FFFFFFF", "@small.bin"}, 0,
         small_listing("7FFFFFFF", "80000000", "80000003", true), ""},
    Case{"reloc_saturates", {"-r:0xFFFFFFFF", "@small.bin"}, 0,
         small_listing("7FFFFFFF", "80000000", "80000003", true), ""},
    Case{"start_beyond_wrapped_end", {"-r:0x7FFFFFF0", "-s:0x7FFFFFF8", "@img32.bin"}, 1, "", kOutOfRange},
    Case{"end_beyond_wrapped_end", {"-r:0x7FFFFFF0", "-e:0x7FFFFFF8", "@img32.bin"}, 1, "", kOutOfRange}),
    case_title);
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, Cases, testing::Values(
    Case{"bad_empty_file", {"@empty.bin"}, 1, "", kCannotOpen},
    Case{"bad_missing_file", {"@missing.bin"}, 1, "", kCannotOpen},
    Case{"bad_directory", {"@folder.bin"}, 1, "", kCannotOpen},
    Case{"bad_two_files", {"@small.bin", "@img32.bin"}, 1, "", kOneArgument},
    Case{"bad_no_file", {"-r:0xF000"}, 1, "", kOneArgument}),
    case_title);
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(Options, Cases, testing::Values(
    Case{"help", {"-h"}, 1, kUsage, ""},
    Case{"help_after_the_file", {"@small.bin", "-h"}, 1, kUsage, ""},
    Case{"help_stops_the_scan", {"-h", "-x", "@small.bin"}, 1, kUsage, ""},
    Case{"options_after_the_file", {"@small.bin", "-r:0xF000"}, 0, small_listing("F000", "F001", "F004", false), ""},
    Case{"posixly_correct_stops_at_the_file", {"@small.bin", "-r:0xF000"}, 1, "", kOneArgument, false,
         {"POSIXLY_CORRECT=1"}},
    Case{"posixly_correct_options_first", {"-r:0xF000", "@small.bin"}, 0,
         small_listing("F000", "F001", "F004", false), "", false, {"POSIXLY_CORRECT=1"}},
    Case{"equals_sign_is_skipped_too", {"-r=F000", "@small.bin"}, 0, small_listing("F000", "F001", "F004", false), ""},
    Case{"separate_word_loses_first_digit", {"-r", "F000", "@small.bin"}, 0,
         small_listing("0000", "0001", "0004", false), ""},
    Case{"glued_value_loses_first_digit", {"-rF000", "@small.bin"}, 0, small_listing("0000", "0001", "0004", false), ""},
    Case{"empty_separate_value", {"-r", "", "@small.bin"}, 0, small_listing("0000", "0001", "0004", false), ""},
    Case{"repeated_option_overrides", {"-r:0x1000", "-r:0xF000", "@small.bin"}, 0,
         small_listing("F000", "F001", "F004", false), ""},
    Case{"bad_unknown_option", {"-x", "@small.bin"}, 1, "", "Unknown option `-x'.\n", true},
    Case{"bad_unprintable_option", {"-\xc3", "@small.bin"}, 1, "", "Unknown option character `\\xc3'.\n", true},
    Case{"bad_control_option", {"-\x01", "@small.bin"}, 1, "", "Unknown option character `\\x1'.\n", true},
    Case{"bad_missing_reloc", {"@small.bin", "-r"}, 1, "", "Option -r requires an argument.\n", true},
    Case{"bad_missing_start", {"@small.bin", "-s"}, 1, "", "Option -s requires an argument.\n", true},
    Case{"bad_missing_end", {"@small.bin", "-e"}, 1, "", "Option -e requires an argument.\n", true},
    Case{"bad_missing_map", {"@small.bin", "-m"}, 1, "", "Option -m requires an argument.\n", true},
    Case{"bad_missing_map_out", {"@small.bin", "-w"}, 1, "", "Option -w requires an argument.\n", true}),
    case_title);
// clang-format on

TEST_F(KoddarRun, LongFileIsListedUpToItsFirst64KiB)
{
    // The MOVD at the last loaded offset must read zeros, not the file's byte 65,536.
    std::string image(65537, '\0');
    image[65535] = '\x88';
    image[65536] = '\x12';
    write_file(dir + "/long.bin", image);
    const RunResult r = run_program(KODDAR_PATH, {dir + "/long.bin"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, kBanner);
    ASSERT_EQ(r.out.size(), 65535 * nop(0).size() + 31);
    EXPECT_EQ(r.out.substr(r.out.size() - nop(0).size() - 31),
              "FFFE 00        NOP    \nFFFF 88000000  MOVD   %$0000,A\n");
}

TEST_F(KoddarRun, FailedListingWriteIsNoSuccess)
{
    RunOptions opts;
    opts.stdout_path = "/dev/full";
    const RunResult r = run_program(KODDAR_PATH, {dir + "/small.bin"}, opts);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, kBanner + "Cannot write listing.\n");
}

TEST(Example, DelayRoutineListsAsCommitted)
{
    const RunResult r = run_program(KODDAR_PATH, {EXAMPLES_DIR "/delay.bin", "-r:0xF000"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, kBanner);
    EXPECT_EQ(r.out, read_file(EXAMPLES_DIR "/delay.lst"));
}

}  // namespace
