// The built programs: kodasm's command line and files, and the round trip koddar -a, kodasm,
// koddar over every example and golden image.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "run_program.h"
#include "scratch_test.h"

namespace {

const std::string kBanner = "Kodasm - TMS7020/7040 assembler - version 2026.12\n";
const std::string kGood = " ORG $F000\nL: JMP L\n";

struct CommandCase {
    const char* name;
    std::vector<std::string> args;  // "@" stands for the scratch directory
    int status;
    std::string err;  // after the banner; "@" stands for the scratch directory, "%" for kodasm's path
    bool target;      // whether @/out.bin exists afterwards
    std::string out = "";
};

std::string expand(std::string text, const std::string& dir)
{
    for (std::size_t at; (at = text.find('@')) != std::string::npos;)
        text.replace(at, 1, dir);
    for (std::size_t at; (at = text.find('%')) != std::string::npos;)
        text.replace(at, 1, KODASM_PATH);
    return text;
}

const std::vector<CommandCase>& command_cases()
{
    static const std::vector<CommandCase> cases = {
        {"assembles", {"@/good.asm", "@/out.bin"}, 0, "@/out.bin file written.\n", true},
        {"options_after_files",
         {"@/good.asm", "@/out.bin", "-l:@/out.lst"},
         0,
         "@/out.lst file written.\n@/out.bin file written.\n",
         true},
        {"help",
         {"-h", "@/good.asm", "@/out.bin"},
         1,
         "",
         false,
         "Usage: kodasm sourceFile targetFile [-l:listingFile]\n"},
        {"one_operand", {"@/good.asm"}, 1, "Two arguments required: sourceFile targetFile.\n", false},
        {"three_operands",
         {"@/good.asm", "@/out.bin", "@/x"},
         1,
         "Two arguments required: sourceFile targetFile.\n",
         false},
        {"unknown_option",
         {"-x", "@/good.asm", "@/out.bin"},
         1,
         "%: invalid option -- 'x'\nUnknown option `-x'.\n",
         false},
        {"listing_without_value",
         {"@/good.asm", "@/out.bin", "-l"},
         1,
         "%: option requires an argument -- 'l'\nOption -l requires an argument.\n",
         false},
        {"empty_listing_name",
         {"-l:", "@/good.asm", "@/out.bin"},
         1,
         "Empty listing file name, expected -l:listingFile.\n",
         false},
        {"missing_source",
         {"@/none.asm", "@/out.bin"},
         1,
         "Cannot open source file @/none.asm: No such file or directory.\n",
         false},
        {"source_is_target",
         {"@/good.asm", "@/good.asm"},
         1,
         "Target file @/good.asm is the source file itself.\n",
         false},
        {"listing_is_target",
         {"@/good.asm", "@/out.bin", "-l:@/out.bin"},
         1,
         "Listing file @/out.bin is the source or the target file.\n",
         false},
        {"errors_write_nothing",
         {"@/bad.asm", "@/out.bin", "-l:@/out.lst"},
         1,
         "@/bad.asm:2:8: undefined label 'M'.\nL: JMP M\n       ^\n1 error, no file written.\n",
         false},
        {"unwritable_listing_keeps_target_out",
         {"@/good.asm", "@/out.bin", "-l:@/no/dir/x.lst"},
         1,
         "Cannot write @/no/dir/x.lst: No such file or directory.\n",
         false},
        {"target_in_missing_directory",
         {"@/good.asm", "@/no/dir/out.bin"},
         1,
         "Cannot write @/no/dir/out.bin: No such file or directory.\n",
         false},
    };
    return cases;
}

class Command : public ScratchTest<testing::TestWithParam<CommandCase>> {};

TEST_P(Command, StatusMessagesAndFiles)
{
    const CommandCase& c = GetParam();
    write_file(dir + "/good.asm", kGood);
    write_file(dir + "/bad.asm", " ORG $F000\nL: JMP M\n");
    std::vector<std::string> args;
    for (const std::string& a : c.args)
        args.push_back(expand(a, dir));
    const RunResult r = run_program(KODASM_PATH, args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, kBanner + expand(c.err, dir));
    EXPECT_EQ(r.out, c.out);
    struct stat st;
    EXPECT_EQ(stat((dir + "/out.bin").c_str(), &st) == 0, c.target);
    if (c.target) {
        EXPECT_EQ(read_file(dir + "/out.bin"), "\xe0\xfe");
    } else {
        EXPECT_NE(stat((dir + "/out.lst").c_str(), &st), 0) << "a listing was written after a failure";
    }
}

std::string case_name(const testing::TestParamInfo<CommandCase>& param)
{
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Table, Command, testing::ValuesIn(command_cases()), case_name);

class Tools : public ScratchTest<> {};

TEST_F(Tools, ListingIsWrittenAndATargetDeviceIsWrittenInPlace)
{
    write_file(dir + "/good.asm", kGood);
    RunResult r = run_program(KODASM_PATH, {dir + "/good.asm", "/dev/null", "-l:" + dir + "/out.lst"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(dir + "/out.lst"), "F000 e0fe      JMP    $F000\n");
    r = run_program(KODASM_PATH, {dir + "/good.asm", "/dev/full"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, kBanner + "Cannot write /dev/full: No space left on device.\n");
}

TEST_F(Tools, KoddarRefusesSourceOutsideSixteenBits)
{
    for (const char* reloc : {"-r:0xFFF0", "-r:-0x10"}) {
        const RunResult r = run_program(KODDAR_PATH, {EXAMPLES_DIR "/delay.bin", reloc, "-a"});
        EXPECT_EQ(r.status, 1) << reloc;
        EXPECT_EQ(r.out, "") << reloc;
        EXPECT_EQ(r.err.substr(r.err.find('\n') + 1), "Source output needs the image within addresses 0000 to FFFF.\n");
    }
}

struct Image {
    std::string path;
    std::vector<std::string> options;  // of koddar
};

// koddar -a, kodasm, and again koddar: every bundled and golden image comes back byte for
// byte, and kodasm's listing is koddar's.
TEST_F(Tools, RoundTripOfEveryExampleAndGoldenImage)
{
    const std::string golden = SOURCE_DIR "/tests/golden/";
    const std::vector<Image> images = {
        {EXAMPLES_DIR "/delay.bin", {"-r:0xF000"}},
        {EXAMPLES_DIR "/delay.bin", {}},
        {golden + "opcodes.bin", {"-r:0x2000"}},
        {golden + "registers.bin", {}},
        {golden + "ports.bin", {}},
        {golden + "video.bin", {"-r:0x1000"}},
        {golden + "branches.bin", {}},
        {golden + "branches.bin", {"-r:0xFEA4"}},
    };
    for (const Image& image : images) {
        SCOPED_TRACE(image.path + (image.options.empty() ? "" : " " + image.options[0]));
        std::vector<std::string> args = {image.path, "-a"};
        args.insert(args.end(), image.options.begin(), image.options.end());
        const RunResult source = run_program(KODDAR_PATH, args);
        ASSERT_EQ(source.status, 0) << source.err;
        write_file(dir + "/image.asm", source.out);
        const RunResult assembled =
            run_program(KODASM_PATH, {dir + "/image.asm", dir + "/image.bin", "-l:" + dir + "/image.lst"});
        ASSERT_EQ(assembled.status, 0) << assembled.err;
        EXPECT_TRUE(read_file(dir + "/image.bin") == read_file(image.path));
        args.erase(args.begin() + 1);
        const RunResult listing = run_program(KODDAR_PATH, args);
        EXPECT_EQ(read_file(dir + "/image.lst"), listing.out);
    }
}

}  // namespace
