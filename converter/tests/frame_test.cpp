// The frame: error messages, command line, buffers and the loading of the source.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "converter.h"
#include "messages.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

bool ends_with(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

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
        {13, "ERROR: Erreur 13\n"},
        {-4, "ERROR: Erreur -4\n"},
    };
    // clang-format on
    for (const auto& r : rows) {
        CaptureStderr();
        erreur(r.code);
        EXPECT_EQ(GetCapturedStderr(), r.text);
    }
}

struct ArgsRow {
    std::vector<std::string> args;  // after argv[0]
    int ret;
    int type;  // TypeDest afterwards, when ret is 0
    const char* out;
    const char* err_tail;  // what the converter adds after getopt's own line
};

TEST(ManageArguments, ScansOptionsAndOperands)
{
    // clang-format off
    const ArgsRow rows[] = {
        {{"a.txt", "b.bin"}, 0, 1, "", ""},
        {{"a.txt", "b.bin", "-t:3"}, 0, 3, "", ""},
        {{"-t", ":3", "a.txt", "b.bin"}, 0, 3, "", ""},
        {{"-t:3", "a.txt", "-t:1", "b.bin"}, 0, 1, "", ""},
        {{"-t:3", "a.txt", "b.bin", "-t:2"}, 0, 3, "", ""},
        {{"-t:2", "a.txt", "b.bin"}, 0, 1, "", ""},
        {{"-t3", "a.txt", "b.bin"}, 0, 1, "", ""},
        {{"--", "-t:3", "b.bin"}, 0, 1, "", ""},
        {{"a.txt", "b.bin", "-h", "-x"}, 1, 0, "Usage: melvox sourceFile targetFile [-t:1|3]\n", ""},
        {{"-x", "a.txt", "b.bin"}, 1, 0, "", "Unknown option `-x'.\n"},
        {{"-\x01", "a.txt", "b.bin"}, 1, 0, "", "Unknown option character `\\x1'.\n"},
        {{"a.txt"}, 1, 0, "", "Two arguments required: sourceFile targetFile.\n"},
        {{"a.txt", "a.txt"}, 1, 0, "", "ERROR: Same filename for source and target files.\n"},
    };
    // clang-format on
    for (const auto& r : rows) {
        std::vector<std::string> words{"melvox"};
        words.insert(words.end(), r.args.begin(), r.args.end());
        std::string trace;
        for (const auto& w : words)
            trace += w + " ";
        SCOPED_TRACE(trace);
        std::vector<char*> argv;
        for (auto& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        TypeDest = 1;
        CaptureStdout();
        CaptureStderr();
        int ret = ManageArguments(static_cast<int>(words.size()), argv.data());
        std::string out = GetCapturedStdout();
        std::string err = GetCapturedStderr();
        EXPECT_EQ(ret, r.ret);
        EXPECT_EQ(out, r.out);
        EXPECT_TRUE(ends_with(err, r.err_tail)) << err;
        if (r.ret == 0) {
            EXPECT_EQ(err, "");
            EXPECT_EQ(TypeDest, r.type);
            EXPECT_EQ(std::string(target), "b.bin");
        }
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
