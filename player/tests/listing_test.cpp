// The listing, exact, in both output types.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listing.h"
#include "stream.h"

namespace melplay {
namespace {

struct ListingCase {
    const char* name;
    std::string stream;
    int type;
    std::string text;
};

TEST(Listing, ExactText)
{
    const std::string worked3("\x30\x21\x00\x82\x32\x11\x00\x01\x09\x00\x80\x00", 12);
    const std::string worked1("\x30\x06\x01\x82\x32\x93\x00\x01\x0D\x00\x80\x00", 12);
    const std::string header = "offset       start  note   divisor    duration\n";
    const ListingCase cases[] = {
        {"worked example, type 3", worked3, 3,
         header + "     0    0.000000  C4          33    0.500000\n"
                  "     3    0.500000  REPEAT x2\n"
                  "     4    0.500000    D4        17    0.257576\n"
                  "     7    0.757576    REST       9    0.136364\n"
                  "    10    1.287879  END\n"
                  "3 note events, 1.287879 s in all\n"},
        {"worked example, type 1", worked1, 1,
         header + "     0    0.000000  C4         262    0.501484\n"
                  "     3    0.501484  REPEAT x2\n"
                  "     4    0.501484    D4       147    0.250742\n"
                  "     7    0.752227    REST      13    0.130000\n"
                  "    10    1.262969  END\n"
                  "3 note events, 1.262969 s in all\n"},
        {"lone terminator", std::string(1, '\0'), 1, header + "0 note events, 0.000000 s in all\n"},
        // First names: C#4 not Db4, B0 not Cb1; an empty section plays for no time; a note
        // after a section starts once all passes are over.
        {"names, empty section, time after a section",
         std::string("\x31\x42\x00\x83\x80\x0B\x01\x00\x84\x5F\xFF\xFF\x80\x02\x4B\x00\x00", 17), 3,
         header + "     0    0.000000  C#4         66    1.000000\n"
                  "     3    1.000000  REPEAT x3\n"
                  "     4    1.000000  END\n"
                  "     5    1.000000  B0           1    0.015152\n"
                  "     8    1.015152  REPEAT x4\n"
                  "     9    1.015152    B7     65535  992.954545\n"
                  "    12 3972.833333  END\n"
                  "    13 3972.833333  D0          75    1.136364\n"
                  "4 note events, 3973.969697 s in all\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Stream s;
        Check check = check_stream(std::vector<unsigned char>(c.stream.begin(), c.stream.end()), s);
        ASSERT_EQ(check.fault, Fault::None) << fault_message(check);
        EXPECT_EQ(listing(s, c.type), c.text);
    }
}

}  // namespace
}  // namespace melplay
