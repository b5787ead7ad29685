// The cursor's one longer operation.
#include "text.h"

namespace koddar {

void Cursor::put_wide_hex(std::uint32_t v)
{
    char digits[8];
    for (unsigned i = 0; i < 4; ++i)
        std::memcpy(digits + 2 * i, hex_upper[v >> (24 - 8 * i)].text, 2);
    std::size_t n = 5;
    while (n < 8 && (v >> (4 * n)) != 0)
        ++n;
    put(digits + 8 - n, n);
}

}  // namespace koddar
