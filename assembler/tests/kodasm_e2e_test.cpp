// The built programs: the round trip koddar -a, kodasm, koddar over every example and golden
// image. The command-line cases of kodasm and koddar -a are in the case corpus (tests/cases).
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
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
// byte, and koddar lists it as the original; kodasm writes its own listing of it too.
TEST_F(Tools, RoundTripOfEveryExampleAndGoldenImage)
{
    const std::string golden = SOURCE_DIR "/tests/golden/";
    const std::vector<Image> images = {
        {EXAMPLES_DIR "/delay.bin", {"-r:0xF000"}},
        {EXAMPLES_DIR "/delay.bin", {}},
        {EXAMPLES_DIR "/delay.bin", {"-r:0xF000", "-m:" EXAMPLES_DIR "/delay.map"}},
        {golden + "opcodes.bin", {"-r:0x2000"}},
        {golden + "opcodes.bin", {"-r:0x2000", "-c:tms7000"}},
        {golden + "video.bin", {"-r:0x1000", "-c:tms7000"}},
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
        // koddar lists the assembled image as it lists the original.
        std::vector<std::string> original = {image.path}, again = {dir + "/image.bin"};
        original.insert(original.end(), image.options.begin(), image.options.end());
        again.insert(again.end(), image.options.begin(), image.options.end());
        EXPECT_EQ(run_program(KODDAR_PATH, again).out, run_program(KODDAR_PATH, original).out);
    }
}

// The bytes an Intel HEX text loads as, read independently of kodasm's writer: data records
// placed at their addresses, each record's checksum checked. Empty when a record is malformed.
std::vector<unsigned char> load_intel_hex(const std::string& text, unsigned& origin)
{
    std::vector<int> memory(0x10000, -1);
    std::istringstream in(text);
    std::string line;
    bool ended = false;
    while (std::getline(in, line) && !ended) {
        if (line.size() < 11 || line[0] != ':')
            return {};
        std::vector<unsigned> b;
        for (std::size_t i = 1; i + 1 < line.size(); i += 2)
            b.push_back(static_cast<unsigned>(std::stoul(line.substr(i, 2), nullptr, 16)));
        unsigned sum = 0;
        for (const unsigned x : b)
            sum += x;
        if ((sum & 0xFF) != 0 || b.size() != b[0] + 5u)
            return {};
        if (b[3] == 1)
            ended = true;
        for (unsigned i = 0; b[3] == 0 && i < b[0]; ++i)
            memory[((b[1] << 8 | b[2]) + i) & 0xFFFF] = static_cast<int>(b[4 + i]);
    }
    std::vector<unsigned char> bytes;
    int first = -1, last = -1;
    for (int a = 0; a < 0x10000; ++a)
        if (memory[static_cast<std::size_t>(a)] >= 0)
            last = a, first = first < 0 ? a : first;
    for (int a = first; first >= 0 && a <= last; ++a)
        bytes.push_back(static_cast<unsigned char>(
            memory[static_cast<std::size_t>(a)] < 0 ? 0xFF : memory[static_cast<std::size_t>(a)]));
    origin = static_cast<unsigned>(first);
    return bytes;
}

// Two programs as people write them, unedited: one in the common macro-assembler style, one in
// TI's. Each assembles; its Intel HEX loads back (by the reader above, and by objcopy when
// binutils is installed) to the raw image's bytes; its S-records too, by objcopy.
TEST_F(Tools, RealProgramsAssembleAndTheirHexLoadsBack)
{
    for (const char* program : {"common", "ti"}) {
        SCOPED_TRACE(program);
        const std::string source = SOURCE_DIR "/assembler/tests/programs/" + std::string(program) + "/main.asm";
        const RunResult raw = run_program(KODASM_PATH, {source, dir + "/image.bin"});
        ASSERT_EQ(raw.status, 0) << raw.err;
        const RunResult hex = run_program(KODASM_PATH, {source, dir + "/image.hex", "-f:hex"});
        ASSERT_EQ(hex.status, 0) << hex.err;
        const RunResult srec = run_program(KODASM_PATH, {source, dir + "/image.s19", "-f:srec"});
        ASSERT_EQ(srec.status, 0) << srec.err;
        const std::string image = read_file(dir + "/image.bin");
        unsigned origin = 0;
        const std::vector<unsigned char> loaded = load_intel_hex(read_file(dir + "/image.hex"), origin);
        EXPECT_EQ(std::string(loaded.begin(), loaded.end()), image);
        if (std::system("objcopy --version >/dev/null 2>&1") != 0)
            continue;
        for (const char* format : {"ihex", "srec"}) {
            const std::string from = dir + (format[0] == 'i' ? "/image.hex" : "/image.s19");
            const std::string command =
                std::string("objcopy -I ") + format + " -O binary " + from + " " + dir + "/loaded.bin";
            ASSERT_EQ(std::system(command.c_str()), 0);
            EXPECT_EQ(read_file(dir + "/loaded.bin"), image) << format;
        }
    }
}

}  // namespace
