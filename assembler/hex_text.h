// kodasm's hex numbers in its messages, listing and output records: a 16-bit address or value in
// four upper-case digits, a byte in two.
#pragma once

#include <cstdio>
#include <string>

namespace kodasm {

// "%04X" of the low 16 bits.
inline std::string hex4(long v)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04lX", static_cast<unsigned long>(v) & 0xFFFFul);
    return text;
}

// "%02X" of the low 8 bits.
inline std::string hex2(unsigned v)
{
    char text[4];
    std::snprintf(text, sizeof text, "%02X", v & 0xFFu);
    return text;
}

}  // namespace kodasm
