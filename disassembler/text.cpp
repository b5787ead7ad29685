// Bounded text building for the fixed-size line stores.
#include "text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace koddar {

void append(char* dst, std::size_t size, const char* src)
{
    const std::size_t used = std::strlen(dst);
    if (used + 1 >= size)
        return;
    const std::size_t n = std::min(std::strlen(src), size - 1 - used);
    std::memcpy(dst + used, src, n);
    dst[used + n] = '\0';
}

// The format is one of the three literals below, each taking one unsigned value.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
ByteTexts::ByteTexts(const char* format)
{
    for (unsigned n = 0; n < 256; ++n)
        std::snprintf(text_[n], sizeof text_[n], format, n);
}
#pragma GCC diagnostic pop

const ByteTexts hex_lower("%02x");
const ByteTexts hex_upper("%02X");
const ByteTexts decimal("%u");

void append_hex4(char* dst, std::size_t size, std::uint32_t v)
{
    char digits[9];
    for (std::size_t i = 0; i < 4; ++i)
        std::memcpy(digits + 2 * i, hex_upper[v >> (24 - 8 * i)], 2);
    digits[8] = '\0';
    // printf's "%04X": no leading zeros, but at least four digits.
    std::size_t start = 0;
    while (start < 4 && digits[start] == '0')
        ++start;
    append(dst, size, digits + start);
}

void pad_to(char* dst, std::size_t size, std::size_t column)
{
    std::size_t used = std::strlen(dst);
    while (used < column && used + 1 < size)
        dst[used++] = ' ';
    dst[used] = '\0';
}

}  // namespace koddar
