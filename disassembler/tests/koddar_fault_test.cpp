// koddar on images built on the fly around the 64 KiB of its buffer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "run_program.h"
#include "scratch_test.h"

namespace {

const std::string kBanner = "Koddar - TMS7020/7040 disassembler - version 2010.01\n";
constexpr std::size_t kNopLine = 23;   // "0000 00        NOP    \n"
constexpr std::size_t kMovdLine = 31;  // "FFFF 88000000  MOVD   %$0000,A\n"

class KoddarFaults : public ScratchTest<> {};

TEST_F(KoddarFaults, ImageSizesAroundTheBuffer)
{
    // NOPs up to the last loaded byte, which holds a MOVD whose operands lie past the data;
    // a byte past 64 KiB would show up in those operands if it were read.
    const struct {
        std::size_t file_size;
        std::size_t listed;   // bytes listed
        const char* end_ok;   // the -e that is still accepted
        const char* end_bad;  // one more, refused
        // clang-format off
    } rows[] = {
        {1, 1, "-e:0x0", "-e:0x1"},
        {65535, 65535, "-e:0xFFFE", "-e:0xFFFF"},
        {65536, 65536, "-e:0xFFFF", "-e:0x10000"},
        {65537, 65536, "-e:0xFFFF", "-e:0x10000"},
        {131072, 65536, "-e:0xFFFF", "-e:0x10000"},
    };
    // clang-format on
    for (const auto& r : rows) {
        SCOPED_TRACE(r.file_size);
        std::string image(r.file_size, '\0');
        image[r.listed - 1] = '\x88';
        for (std::size_t i = r.listed; i < r.file_size; ++i)
            image[i] = '\x12';
        const std::string path = dir + "/image.bin";
        write_file(path, image);

        RunResult run = run_program(KODDAR_PATH, {path});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, kBanner);
        ASSERT_EQ(run.out.size(), (r.listed - 1) * kNopLine + kMovdLine);
        char last[40];
        std::snprintf(last, sizeof last, "%04zX 88000000  MOVD   %%$0000,A\n", r.listed - 1);
        EXPECT_EQ(run.out.substr(run.out.size() - kMovdLine), last);

        run = run_program(KODDAR_PATH, {path, r.end_ok, "-s:0x0"});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.size(), (r.listed - 1) * kNopLine + kMovdLine);
        run = run_program(KODDAR_PATH, {path, r.end_bad});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, kBanner + "Dump address out of range.\n");
    }
}

}  // namespace
