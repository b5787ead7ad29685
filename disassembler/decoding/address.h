// Address arithmetic: every sum and difference of addresses and offsets is taken modulo 2^32
// and read as a signed 32-bit value, computed unsigned so that it never overflows.
#pragma once

#include <cstdint>

namespace koddar {

inline std::int32_t add32(std::int32_t x, std::int32_t y)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(x) + static_cast<std::uint32_t>(y));
}

inline std::int32_t sub32(std::int32_t x, std::int32_t y)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(x) - static_cast<std::uint32_t>(y));
}

}  // namespace koddar
