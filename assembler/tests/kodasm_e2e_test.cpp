// The built programs: the round trip koddar -a, kodasm, koddar over every example and golden
// image. The command-line cases of kodasm and koddar -a are in the case corpus (tests/cases).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_program.h"
#include "scratch_test.h"

namespace {

class Tools : public ScratchTest<> {};

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
        {EXAMPLES_DIR "/delay.bin", {"-r:0xF000", "-m:" EXAMPLES_DIR "/delay.map"}},
        {golden + "opcodes.bin", {"-r:0x2000"}},
        {golden + "registers.bin", {}},
        {golden + "ports.bin", {}},
        {golden + "video.bin", {"-r:0x1000"}},
        {golden + "branches.bin", {}},
        {golden + "branches.bin", {"-r:0xFEA4"}},
    };
    for (const Image& image : images) {
        std::string trace = image.path;
        for (const std::string& option : image.options)
            trace += " " + option;
        SCOPED_TRACE(trace);
        std::vector<std::string> args = {image.path, "-a"};
        args.insert(args.end(), image.options.begin(), image.options.end());
        const RunResult source = run_program(KODDAR_PATH, args);
        ASSERT_EQ(source.status, 0) << source.err;
        write_file(dir + "/image.asm", source.out);
        const RunResult assembled =
            run_program(KODASM_PATH, {dir + "/image.asm", dir + "/image.bin", "-l:" + dir + "/image.lst"});
        ASSERT_EQ(assembled.status, 0) << assembled.err;
        EXPECT_TRUE(read_file(dir + "/image.bin") == read_file(image.path));
        // koddar's listing without the map: kodasm lists every byte as code.
        std::vector<std::string> plain = {image.path};
        for (const std::string& option : image.options)
            if (option.rfind("-m:", 0) != 0)
                plain.push_back(option);
        const RunResult listing = run_program(KODDAR_PATH, plain);
        EXPECT_EQ(read_file(dir + "/image.lst"), listing.out);
    }
}

}  // namespace
