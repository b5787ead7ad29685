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

// Whether an image of `length` bytes at `origin` lies within the processor's 16-bit address
// space, 0000 to FFFF, where the program counter wraps around from FFFF to 0000.
inline bool within_16_bits(std::int32_t origin, std::int32_t length)
{
    const long long first = origin;
    return first >= 0 && first + length - 1 <= 0xFFFF;
}

// An address of the program counter, which wraps at 16 bits in an image within 0000 to FFFF.
inline std::int32_t program_address(std::int32_t at, bool wraps)
{
    return wraps ? static_cast<std::int32_t>(static_cast<std::uint32_t>(at) & 0xFFFFu) : at;
}

}  // namespace koddar
