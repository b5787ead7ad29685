// The write-back loop over random images and maps: the map -w writes reads back, lists the
// image exactly as the map that wrote it, and writes itself again.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "decoder.h"
#include "map.h"
#include "map_writer.h"
#include "mapped_dump.h"
#include "random_map.h"
#include "tracer.h"

using namespace koddar;

namespace {

struct Outcome {
    bool read = false;
    std::string listing;
    std::string written;
    std::string summary;
};

Outcome run(const std::string& map_text)
{
    Outcome r;
    Map map;
    testing::internal::CaptureStderr();
    r.read = parse_map(map_text.data(), map_text.size(), "m.map", reloc, loaded_length, map);
    const std::string err = testing::internal::GetCapturedStderr();
    if (!r.read)
        return r;
    const Trace trace = trace_image(map, buffer, loaded_length, reloc);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    report_trace(trace);
    list_mapped(map, trace, 0, loaded_length);
    summary(trace);
    r.listing = testing::internal::GetCapturedStdout();
    // The warnings, with the map's line numbers left out: the written map orders its lines anew.
    r.summary = std::regex_replace(testing::internal::GetCapturedStderr(), std::regex("line [0-9]+"), "line N");
    r.written = inferred_map(map, trace, reloc);
    return r;
}

}  // namespace

TEST(WriteBack, ListsAndWritesTheSameOnRandomImagesAndMaps)
{
    int valid = 0;
    for (std::uint64_t seed = 1; seed <= 300; ++seed) {
        testsupport::RandomMapCase c = testsupport::random_map_case(seed);
        buffer = c.image.data();
        loaded_length = static_cast<std::int32_t>(c.image.size());
        reloc = c.reloc;
        const Outcome first = run(c.map);
        if (!first.read)
            continue;
        ++valid;
        const Outcome again = run(first.written);
        ASSERT_TRUE(again.read) << "seed " << seed << "\n" << c.map << "---\n" << first.written;
        EXPECT_EQ(again.listing, first.listing) << "seed " << seed << "\n" << c.map << "---\n" << first.written;
        EXPECT_EQ(again.summary, first.summary) << "seed " << seed << "\n" << c.map;
        EXPECT_EQ(again.written, first.written) << "seed " << seed << "\n" << c.map;
    }
    buffer = nullptr;
    reloc = 0;
    EXPECT_GT(valid, 150);
}
