// The map reader: every fault it refuses, with its line number, and the forms it accepts.
#include <gtest/gtest.h>

#include <string>

#include "map.h"

using namespace koddar;

namespace {

struct Bad {
    const char* map;
    const char* message;  // what follows "m.map:"
};

// An image of 0x30 bytes at F000, so F000 to F02F.
bool parse(const std::string& text, Map& map, std::string& err, std::int32_t reloc = 0xF000, std::int32_t length = 0x30)
{
    testing::internal::CaptureStderr();
    const bool ok = parse_map(text.data(), text.size(), "m.map", reloc, length, map);
    err = testing::internal::GetCapturedStderr();
    return ok;
}

// clang-format off
const Bad kBad[] = {
    {"frob F000\n",                               "1: Unknown directive `frob'.\n"},
    {"CODE F000\n",                               "1: Unknown directive `CODE'.\n"},
    {"code F000\n\n# fine\ncode F0G0\n",          "4: Bad address `F0G0'.\n"},
    {"code 0x\n",                                 "1: Bad address `0x'.\n"},
    {"code\n",                                    "1: Missing address.\n"},
    {"code F000 MAIN extra\n",                    "1: Too many fields.\n"},
    {"code F000 a b c d e f\n",                   "1: Too many fields.\n"},
    {"code EFFF\n",                               "1: Address outside the image.\n"},
    {"code F030\n",                               "1: Address outside the image.\n"},
    {"code -1\n",                                 "1: Address outside the image.\n"},
    {"label F000\n",                              "1: Missing name.\n"},
    {"label\n",                                   "1: Missing address.\n"},
    {"label F000 9LIVES\n",                       "1: Bad name `9LIVES'.\n"},
    {"label F000 MY-NAME\n",                      "1: Bad name `MY-NAME'.\n"},
    {"label F000 A\n",                            "1: Name `A' is reserved.\n"},
    {"label F000 ST\n",                           "1: Name `ST' is reserved.\n"},
    {"label F000 ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456\n", "1: Name `ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456' is longer than 32 characters.\n"},
    {"label F000 X\nlabel F001 X\n",              "2: Name `X' already used on line 1.\n"},
    {"code F000 X\nlabel F000 Y\n",               "2: Address already named `X' on line 1.\n"},
    {"label F001 L_F000\n",                       "1: Name `L_F000' is kept for address F000.\n"},
    {"bytes F000\n",                              "1: Missing end address.\n"},
    {"bytes F010 F00F\n",                         "1: Range ends before it starts.\n"},
    {"words F020 F030\n",                         "1: Range outside the image.\n"},
    {"text EFFF F000\n",                          "1: Range outside the image.\n"},
    {"bytes F000 F00F\naddrs F00F F010\n",        "2: Range overlaps the one on line 1.\n"},
    {"code F004\nbytes F000 F00F\n",              "2: Range holds the entry point on line 1.\n"},
    {"bytes F000 F00F\ncode F004\n",              "2: Entry point inside the data range on line 1.\n"},
    {"bytes F000 F001 T\nlabel F010 T\n",         "2: Name `T' already used on line 1.\n"},
    {"vectors\n",                                 "1: The TRAP vectors are not in the image.\n"},
    {"vectors now\n",                             "1: Too many fields.\n"},
    {"reg 256 BIG\n",                             "1: Bad number `256'.\n"},
    {"reg 0x10 HEX\n",                            "1: Bad number `0x10'.\n"},
    {"port 46\n",                                 "1: Missing name.\n"},
    {"port\n",                                    "1: Missing number.\n"},
    {"reg 3 COUNT\nreg 3 OTHER\n",                "2: Register 3 already named `COUNT'.\n"},
    {"port 4 LEDS\nport 4 LIGHTS\n",              "2: Port 4 already named `LEDS'.\n"},
    {"reg 3 COUNT\nport 4 COUNT\n",               "2: Name `COUNT' already used for a register or port.\n"},
    {"label F000 COUNT\nreg 3 COUNT\n",           "2: Name `COUNT' already used on line 1.\n"},
    {"reg 3 COUNT\nlabel F000 COUNT\n",           "2: Name `COUNT' already used for a register or port.\n"},
    {"code F000 ; fine\r\ncode F001\r\nlabel\r\n", "3: Missing address.\n"},
    {"label F000 b\n",                            "1: Name `b' is reserved.\n"},
    {"label F000 R0\n",                           "1: Name `R0' is reserved for register 0.\n"},
    {"reg 3 r255\n",                              "1: Name `r255' is reserved for register 255.\n"},
    {"reg 3 R007\n",                              "1: Name `R007' is reserved for register 7.\n"},
    {"port 3 p46\n",                              "1: Name `p46' is reserved for port 46.\n"},
    {"label F000 vdp06\n",                        "1: Name `vdp06' is reserved for register 35.\n"},
    {"reg 3 TEMP10\n",                            "1: Name `TEMP10' is reserved for register 32.\n"},
    {"code F0\x01\x7f\xc3\n",                      "1: Bad address `F0\\x01\\x7f\\xc3'.\n"},
    {"\xEF\xBB\xBF\xEF\xBB\xBF" "code F000\n",          "1: Unknown directive `\\xef\\xbb\\xbfcode'.\n"},
    {"frob012345678901234567890123456789012345678901234\n", "1: Unknown directive `frob012345678901234567890123456789012345...'.\n"},
    {"params F000\n",                             "1: Missing number.\n"},
    {"params\n",                                  "1: Missing address.\n"},
    {"params F000 256\n",                         "1: Bad number `256'.\n"},
    {"params F000 1 2\n",                         "1: Too many fields.\n"},
    {"noreturn F000\nparams F000 1\nparams F000 2\n", "3: Parameters of this routine already given on line 2.\n"},
    {"noreturn\n",                                "1: Missing address.\n"},
    {"noreturn F000 F001\n",                      "1: Too many fields.\n"},
    {"noreturn X\n",                              "1: Bad address `X'.\n"},
    {"comment\n",                                 "1: Missing address.\n"},
    {"comment F000\n",                            "1: Missing text.\n"},
    {"comment F000 \t \r\n",                      "1: Missing text.\n"},
    {"comment F030 x\n",                          "1: Address outside the image.\n"},
    {"comment F000 a\x1b\n",                      "1: Control character in comment.\n"},
    {"comment F000 a\ncomment F000 b\n",          "2: Address already has the comment on line 1.\n"},
};
// clang-format on

}  // namespace

TEST(MapReader, RefusesEachFaultWithItsLine)
{
    for (const Bad& b : kBad) {
        Map map;
        std::string err;
        EXPECT_FALSE(parse(b.map, map, err)) << b.map;
        EXPECT_EQ(err, std::string("m.map:") + b.message) << b.map;
    }
}

TEST(MapReader, ReadsEveryDirective)
{
    Map map;
    std::string err;
    const std::string text =
        "# a comment\n"
        "  code\tF000  START ; the reset entry\n"
        "code 0xF002#no blank needed\n"
        "label E000 ROM_PRINT\n"
        "label +F004 L_F004\n"
        "bytes F010 F013 TABLE\n"
        "words F014 F017\n"
        "addrs F018 F01B JT\n"
        "text F01C F01F\n"
        "reg 3 COUNT\n"
        "port 255 VIDEO_2\n"
        "code F003";  // no line break at the end
    ASSERT_TRUE(parse(text, map, err)) << err;
    EXPECT_EQ(err, "");
    ASSERT_EQ(map.entries.size(), 3u);
    EXPECT_EQ(map.entries[1].address, 0xF002);
    EXPECT_EQ(map.entries[2].line, 12);
    ASSERT_EQ(map.names.size(), 5u);
    EXPECT_EQ(map.names[1].address, 0xE000);  // a name may lie outside the image
    EXPECT_EQ(map.names[2].name, "L_F004");
    ASSERT_EQ(map.ranges.size(), 4u);
    EXPECT_EQ(map.ranges[2].kind, DataKind::Addrs);
    EXPECT_EQ(map.ranges[2].end, 0xF01B);
    EXPECT_EQ(map.reg[3], "COUNT");
    EXPECT_EQ(map.port[255], "VIDEO_2");
}

TEST(MapReader, ReadsTheNewDirectivesAndAddressesAsListed)
{
    Map map;
    std::string err;
    const std::string text =
        "\xEF\xBB\xBF"  // a byte order mark, skipped
        "params E000 3\n"
        "noreturn E000\n"
        "noreturn F004\n"
        "comment 0001   the text ; with # marks and \t tabs \r\n"
        "comment FFFFFFF0 text\n"
        "code -10\n";
    ASSERT_TRUE(parse(text, map, err, -0x20, 0x30)) << err;
    ASSERT_EQ(map.routines.size(), 2u);
    EXPECT_EQ(map.routines[0].address, 0xE000);  // outside the image, like a name
    EXPECT_EQ(map.routines[0].params, 3);
    EXPECT_TRUE(map.routines[0].noreturn);
    EXPECT_EQ(map.routines[1].params, 0);
    ASSERT_EQ(map.comments.size(), 2u);
    EXPECT_EQ(map.comments[0].text, "the text ; with # marks and \t tabs");
    EXPECT_EQ(map.comments[1].address, -0x10);  // eight digits read as the listing prints them
    EXPECT_EQ(map.entries[0].address, -0x10);
    EXPECT_EQ(map.entries[0].line, 6);
}

TEST(MapReader, TakesTheVectorsThatAreLoaded)
{
    // The image F000-FFE4 holds the vectors FFD0 to FFE3 whole; FFE4's low byte is not loaded.
    Map map;
    std::string err;
    ASSERT_TRUE(parse("vectors\n", map, err, 0xF000, 0xFE5)) << err;
    ASSERT_EQ(map.ranges.size(), 1u);
    EXPECT_EQ(map.ranges[0].start, 0xFFD0);
    EXPECT_EQ(map.ranges[0].end, 0xFFE3);
    EXPECT_EQ(map.vectors_line, 1);
    // An image from FFD5 on holds FFD6 to FFFF.
    Map top;
    ASSERT_TRUE(parse("vectors\n", top, err, 0xFFD5, 0x2B)) << err;
    EXPECT_EQ(top.ranges[0].start, 0xFFD6);
    EXPECT_EQ(top.ranges[0].end, 0xFFFF);
}
