// The construct corpus (corpus.txt): each source with the bytes it assembles to, or with the
// exact report of its faults.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "assembler.h"

namespace {

struct Entry {
    std::string name, source, want;
    bool errors = false;
};

std::vector<Entry> read_corpus()
{
    std::ifstream in(CORPUS_PATH);
    std::vector<Entry> entries;
    std::string line;
    int part = 0;  // 0 before the first entry, 1 source, 2 expectation
    while (std::getline(in, line)) {
        if (line.rfind("=== ", 0) == 0) {
            entries.push_back({line.substr(4), {}, {}, false});
            part = 1;
        } else if (part > 0 && (line == "--- bytes" || line == "--- errors")) {
            entries.back().errors = line == "--- errors";
            part = 2;
        } else if (part == 1) {
            entries.back().source += line + "\n";
        } else if (part == 2 && (entries.back().errors ? !line.empty() || !entries.back().want.empty() : true)) {
            entries.back().want += line + "\n";
        }
    }
    return entries;
}

std::string hex(const std::vector<unsigned char>& bytes)
{
    std::string out;
    char text[4];
    for (const unsigned char b : bytes) {
        std::snprintf(text, sizeof text, "%02x", b);
        out += text;
    }
    return out;
}

std::string without_blanks(const std::string& text)
{
    std::string out;
    for (const char c : text)
        if (c != ' ' && c != '\n')
            out += c;
    return out;
}

TEST(Corpus, EveryConstructAssemblesToItsBytesOrItsReport)
{
    const std::vector<Entry> entries = read_corpus();
    ASSERT_GT(entries.size(), 40u);
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.name);
        const kodasm::Assembly a = kodasm::assemble(e.source);
        if (e.errors) {
            std::string want = e.want;
            while (want.size() > 1 && want[want.size() - 2] == '\n')
                want.pop_back();  // the blank lines between entries
            EXPECT_TRUE(a.bytes.empty());
            EXPECT_EQ(kodasm::format_errors("t.asm", e.source, a.errors), want);
        } else {
            ASSERT_TRUE(a.errors.empty()) << kodasm::format_errors("t.asm", e.source, a.errors);
            EXPECT_EQ(hex(a.bytes), without_blanks(e.want));
        }
    }
}

}  // namespace
