// koddar -a, then kodasm: the same bytes (and so the same listing from koddar), on random
// images. KODASM_ROUND_TRIPS sets how many (10,000 by default, a few seconds).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "arguments.h"
#include "assembler.h"
#include "decoder.h"
#include "window.h"
#include "map.h"
#include "run_program.h"
#include "source_writer.h"

namespace {

struct Koddar {
    std::string source;
    int status = -1;
};

// What koddar -a prints for the whole image at reloc; with the map when one is given.
Koddar run_koddar(std::vector<unsigned char> image, std::int32_t at, const koddar::Map* map = nullptr)
{
    Koddar k;
    koddar::buffer = image.data();
    koddar::loaded_length = static_cast<std::int32_t>(image.size());
    koddar::reloc = at;
    koddar::debut = koddar::fin = 0;
    std::int32_t nb = koddar::loaded_length;
    if (!koddar::fix_window(nb))
        return k;
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    k.status = map ? koddar::write_mapped_source(out, nb, *map, koddar::MapOptions{}) : koddar::write_source(out, nb);
    std::fclose(out);
    k.source.assign(text, size);
    std::free(text);
    koddar::buffer = nullptr;
    return k;
}

// One image through both programs' cores; returns false (after a failure) when it does not hold.
bool round_trip(const std::vector<unsigned char>& image, std::int32_t at, const koddar::Map* map = nullptr)
{
    const Koddar k = run_koddar(image, at, map);
    EXPECT_EQ(k.status, 0);
    const kodasm::Assembly assembly = kodasm::assemble(k.source);
    EXPECT_TRUE(assembly.errors.empty()) << kodasm::format_errors("source", k.source, assembly.errors);
    EXPECT_EQ(assembly.origin, static_cast<std::uint32_t>(at));
    EXPECT_TRUE(assembly.bytes == image) << k.source;
    return !testing::Test::HasFailure();
}

long trips()
{
    const char* n = std::getenv("KODASM_ROUND_TRIPS");
    return n && *n ? std::strtol(n, nullptr, 10) : 10000;
}

TEST(RoundTrip, EveryOpcodeWithEveryOperandKind)
{
    std::mt19937 random(7);
    for (int pass = 0; pass < 4; ++pass) {
        std::vector<unsigned char> image;
        for (unsigned code = 0; code < 256; ++code) {
            image.push_back(static_cast<unsigned char>(code));
            for (int i = 0; i < 3; ++i)
                image.push_back(static_cast<unsigned char>(random()));
        }
        ASSERT_TRUE(round_trip(image, pass * 0x1000));
    }
}

TEST(RoundTrip, RandomImages)
{
    std::mt19937 random(2026);
    const long count = trips();
    for (long n = 0; n < count; ++n) {
        // Registers 0 and 1, port 46 and the displacement limits come up often enough in small
        // byte values, so a part of the operand bytes is drawn from them.
        const std::size_t size = 1 + random() % 96;
        std::vector<unsigned char> image(size);
        for (unsigned char& byte : image)
            byte = static_cast<unsigned char>(
                random() % 4 == 0 ? static_cast<unsigned char>("\x00\x01\x2e\x7f\x80\xfe"[random() % 6]) : random());
        if (n % 3 == 0)  // an instruction of two to four bytes cut off by the end
            image.back() = static_cast<unsigned char>("\x12\x88\x8e\xe0\xa6\x46\xd7"[random() % 7]);
        const std::int32_t at = static_cast<std::int32_t>(random() % (0x10000 - size + 1));
        ASSERT_TRUE(round_trip(image, at)) << "image " << n << " at " << at;
    }
}

// A map of random entry points, data ranges of every kind, names inside and outside the image,
// and register and port names; the trace decides what is code.
std::string random_map(std::mt19937& random, std::int32_t at, std::size_t size)
{
    auto address = [&] { return at + static_cast<std::int32_t>(random() % size); };
    char line[96];
    std::string map;
    // Ranges in increasing order so that they do not overlap, entry points outside them.
    const char* kinds[] = {"bytes", "words", "addrs", "text"};
    std::vector<bool> in_range(size, false);
    std::vector<std::int32_t> named;
    std::int32_t from = at;
    for (int i = 0; i < 3; ++i) {
        const std::int32_t start = from + static_cast<std::int32_t>(random() % 24);
        const std::int32_t end = start + static_cast<std::int32_t>(random() % 8);
        if (end >= at + static_cast<std::int32_t>(size))
            break;
        std::snprintf(line, sizeof line, "%s %X %X T%d\n", kinds[random() % 4], static_cast<unsigned>(start),
                      static_cast<unsigned>(end), i);
        map += line;
        for (std::int32_t x = start; x <= end; ++x)
            in_range[static_cast<std::size_t>(x - at)] = true;
        named.push_back(start);
        from = end + 1;
    }
    for (int i = 0, n = 1 + static_cast<int>(random() % 3); i < n; ++i) {
        const std::int32_t entry = address();
        if (in_range[static_cast<std::size_t>(entry - at)])
            continue;
        std::snprintf(line, sizeof line, "code %X\n", static_cast<unsigned>(entry));
        map += line;
    }
    std::int32_t inside = address();
    while (std::find(named.begin(), named.end(), inside) != named.end())
        inside = address();
    std::snprintf(line, sizeof line, "label %X INSIDE\nlabel %X OUTSIDE\nreg %u COUNT\nport %u VIDEO\n",
                  static_cast<unsigned>(inside),
                  static_cast<unsigned>((static_cast<std::size_t>(at) + size + 5) & 0xFFFF),
                  static_cast<unsigned>(random() % 256), static_cast<unsigned>(random() % 256));
    return map + line;
}

TEST(RoundTrip, RandomImagesWithMaps)
{
    std::mt19937 random(13);
    const long count = trips() / 10;
    long mapped = 0;
    for (long n = 0; n < count; ++n) {
        const std::size_t size = 8 + random() % 120;
        std::vector<unsigned char> image(size);
        for (unsigned char& byte : image)
            byte = static_cast<unsigned char>(random());
        const std::int32_t at = static_cast<std::int32_t>(random() % (0x10000 - size + 1));
        const std::string text = random_map(random, at, size);
        koddar::Map map;
        if (!koddar::parse_map(text.data(), text.size(), "m", at, static_cast<std::int32_t>(size), map))
            continue;  // refused (a name or range the generator got wrong): not a source case
        ++mapped;
        ASSERT_TRUE(round_trip(image, at, &map)) << "image " << n << " at " << at << " with\n" << text;
    }
    EXPECT_GT(mapped, count / 2);
}

// The hand-assembled image whose routines only the analysis after the trace finds: with every
// rule on and with the default ones, its source marks them found and still assembles back.
TEST(RoundTrip, FoundCode)
{
    const std::string dir = std::string(SOURCE_DIR) + "/disassembler/tests/traced/";
    const std::string bin = read_file(dir + "found1.bin");
    const std::vector<unsigned char> image(bin.begin(), bin.end());
    ASSERT_GT(image.size(), 100u);
    for (const char* name : {"found1.map", "found1-default.map"}) {
        const std::string text = read_file(dir + name);
        koddar::Map map;
        ASSERT_TRUE(
            koddar::parse_map(text.data(), text.size(), name, 0xF000, static_cast<std::int32_t>(image.size()), map));
        ASSERT_TRUE(round_trip(image, 0xF000, &map)) << name;
        const std::string source = run_koddar(image, 0xF000, &map).source;
        int notes = 0;  // the two routines in gaps, as in the listing
        for (std::size_t at = 0; (at = source.find("; found, not reached", at)) != std::string::npos; ++at)
            ++notes;
        EXPECT_EQ(notes, 2) << name << "\n" << source;
    }
}

TEST(RoundTrip, WholeAddressSpace)
{
    std::mt19937 random(64);
    std::vector<unsigned char> image(0x10000);
    for (unsigned char& byte : image)
        byte = static_cast<unsigned char>(random());
    ASSERT_TRUE(round_trip(image, 0));
}

}  // namespace
