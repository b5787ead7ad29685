// The one longer operation of the hex texts.
#include "text.h"

namespace koddar {

std::size_t wide_hex(std::uint32_t v, char (&digits)[8])
{
    for (std::size_t i = 0; i < 4; ++i)
        std::memcpy(digits + 2 * i, hex_upper[v >> (24 - 8 * i)].text, 2);
    std::size_t n = 4;
    while (n < 8 && (v >> (4 * n)) != 0)
        ++n;
    return n;
}

std::string hex_address(std::int32_t v)
{
    char digits[8];
    const std::size_t n = wide_hex(static_cast<std::uint32_t>(v), digits);
    return std::string(digits + sizeof digits - n, n);
}

}  // namespace koddar
