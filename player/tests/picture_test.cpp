// The piano roll: where the bars, the shaded passes and the axis go, and the PNG file.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "picture.h"
#include "scratch_test.h"

namespace {

using melplay::Element;
using melplay::Kind;

// C4 for one second, then a section of two passes of D4 for half a second (type 3).
melplay::Stream example()
{
    melplay::Stream s;
    s.elements = {{0, Kind::Note, 48, 66, 0},
                  {3, Kind::SectionStart, 0, 0, 2},
                  {4, Kind::Note, 50, 33, 0},
                  {7, Kind::SectionEnd, 0, 0, 0}};
    s.size = 9;
    s.note_events = 2;
    return s;
}

struct Rgb {
    int r, g, b;
};

Rgb at(const melplay::Picture& p, unsigned x, unsigned y)
{
    const std::uint8_t* px = &p.rgb[(static_cast<std::size_t>(y) * p.width + x) * 3];
    return {px[0], px[1], px[2]};
}

TEST(Picture, BarsShadesAndSize)
{
    const melplay::Picture p = melplay::piano_roll(example(), 3);
    // 2 s at 120 pixels a second between the margins; C4 to D4 and two semitones around.
    EXPECT_EQ(p.width, 24u + 240u + 16u);
    EXPECT_EQ(p.height, 8u + 7u * 7u + 24u);
    ASSERT_EQ(p.rgb.size(), std::size_t{p.width} * p.height * 3);
    const struct {
        const char* what;
        unsigned x, y;
        Rgb colour;
    } rows[] = {
        {"C4 bar, first second", 24 + 60, 8 + 4 * 7 + 6 - 1, {40, 90, 170}},
        {"D4 first pass", 24 + 150, 8 + 2 * 7 + 6 - 1, {40, 90, 170}},
        {"D4 second pass, lighter", 24 + 210, 8 + 2 * 7 + 6 - 1, {130, 160, 210}},
        {"shaded band behind the second pass", 24 + 210, 8 + 1, {232, 238, 250}},
        {"nothing above C4 in the first second", 24 + 60, 8 + 1, {255, 255, 255}},
    };
    for (const auto& r : rows) {
        const Rgb got = at(p, r.x, r.y);
        EXPECT_EQ(got.r, r.colour.r) << r.what;
        EXPECT_EQ(got.g, r.colour.g) << r.what;
        EXPECT_EQ(got.b, r.colour.b) << r.what;
    }
}

using PictureFile = ScratchTest<>;

TEST_F(PictureFile, WrittenAsPngAndNeverOverTheStream)
{
    const std::string png = dir + "/roll.png";
    std::string error;
    ASSERT_TRUE(melplay::write_picture(png, dir + "/s.bin", example(), 3, error)) << error;
    std::ifstream in(png, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(bytes.substr(16, 8), std::string("\0\0\x01\x18\0\0\0\x51", 8));  // 280 x 81
    EXPECT_FALSE(melplay::write_picture(png, png, example(), 3, error));
    EXPECT_EQ(error, "Picture file " + png + " is the stream file itself.\n");
    EXPECT_FALSE(melplay::write_picture(dir + "/none/roll.png", "s.bin", example(), 3, error));
    EXPECT_EQ(error, "Cannot write picture file " + dir + "/none/roll.png: No such file or directory.\n");
}

}  // namespace
