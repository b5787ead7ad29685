// The frame: the error messages, and a buffer that cannot be obtained (the command line and
// the files are pinned by the case files in cases/).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "converter.h"
#include "messages.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(Erreur, PrintsTheMessageOfEachCode)
{
    // clang-format off
    const struct {
        int code;
        const char* text;
    } rows[] = {
        {1, "ERROR: Same filename for source and target files.\n"},
        {2, "ERROR: Cannot open source file.\n"},
        {3, "ERROR: Cannot save target file.\n"},
        {4, "ERROR: When loading source file.\n"},
        {5, "ERROR: When saving target file.\n"},
        {6, "ERROR: Memory problem.\n"},
        {7, "ERROR: Not a correct note.\n"},
        {8, "ERROR: Not a correct REPEAT ... END struture.\n"},
        {9, "ERROR: Not a correct note duration.\n"},
        {10, "ERROR: Note duration too long.\n"},
        {11, "ERROR: Note stream too long.\n"},
        {12, "ERROR: Source file too large.\n"},
        {0, "ERROR: Erreur 0\n"},
        {13, "ERROR: Same file for source file and standard output.\n"},
        {14, "ERROR: Erreur 14\n"},
        {-4, "ERROR: Erreur -4\n"},
    };
    // clang-format on
    for (const auto& r : rows) {
        CaptureStderr();
        erreur(r.code);
        EXPECT_EQ(GetCapturedStderr(), r.text);
    }
}

void* fail_always(std::size_t)
{
    return nullptr;
}

int allocations = 0;
void* fail_second(std::size_t size)
{
    return ++allocations == 2 ? nullptr : std::malloc(size);
}

TEST(Init, ReportsAMissingBuffer)
{
    for (auto alloc : {fail_always, fail_second}) {
        allocations = 0;
        buffer_alloc = alloc;
        CaptureStderr();
        EXPECT_EQ(init(), 1);
        EXPECT_EQ(GetCapturedStderr(), "ERROR: Memory problem.\n");
        end();
        EXPECT_EQ(bufIN, nullptr);
        EXPECT_EQ(bufOUT, nullptr);
    }
    buffer_alloc = std::malloc;
    EXPECT_EQ(init(), 0);
    end();
}

}  // namespace
