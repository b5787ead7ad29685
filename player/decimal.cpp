// Exact decimal conversion by integer arithmetic on the binary value.
#include "decimal.h"

#include <cstring>

namespace melplay {

namespace {

__extension__ typedef unsigned __int128 uint128;  // g++ and clang++ both have it

constexpr std::uint64_t kPowersOfTen[23] = {
    1ull,
    10ull,
    100ull,
    1000ull,
    10000ull,
    100000ull,
    1000000ull,
    10000000ull,
    100000000ull,
    1000000000ull,
    10000000000ull,
    100000000000ull,
    1000000000000ull,
    10000000000000ull,
    100000000000000ull,
    1000000000000000ull,
    10000000000000000ull,
    100000000000000000ull,
    1000000000000000000ull,
    10000000000000000000ull,
    0,  // 10^20 and above do not fit 64 bits; decimal_value takes them from the doubles
    0,
    0,
};

constexpr double kDoublePowersOfTen[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

}  // namespace

std::size_t unsigned_text(std::uint64_t v, char* out)
{
    char digits[20];
    std::size_t n = 0;
    do {
        digits[sizeof digits - ++n] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    std::memcpy(out, digits + sizeof digits - n, n);
    return n;
}

// A double from 0 to 2^53 as m * 2^exponent, m an integer below 2^53, from its bits.
struct Binary {
    std::uint64_t m;
    int exponent;
};

Binary binary_of(double x)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    const int biased = static_cast<int>(bits >> 52);  // the sign is 0 here
    const std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased == 0)
        return {m, -1074};  // a subnormal or zero
    return {m | std::uint64_t{1} << 52, biased - 1075};
}

bool in_range(double x, int decimals)
{
    return x >= 0.0 && x <= 9007199254740992.0 && decimals >= 0 && decimals <= 17;
}

// x * 10^decimals rounded to the nearest integer, a tie to even; m * 10^17 < 2^110.
uint128 rounded_scaled(Binary b, int decimals)
{
    const uint128 scaled = static_cast<uint128>(b.m) * kPowersOfTen[decimals];
    const int exponent = b.exponent;
    uint128 q = 0;
    if (exponent >= 0) {
        q = scaled << exponent;  // x is an integer below 2^53, so this stays below 2^110
    } else if (exponent > -120) {
        const int shift = -exponent;
        q = scaled >> shift;
        const uint128 rest = scaled - (q << shift);
        const uint128 half = static_cast<uint128>(1) << (shift - 1);
        if (rest > half || (rest == half && (q & 1) != 0))
            ++q;
    }  // else x * 10^decimals is far below one half: q stays 0
    return q;
}

bool fixed_digits(double x, int decimals, uint128& q)
{
    if (!in_range(x, decimals))
        return false;
    q = rounded_scaled(binary_of(x), decimals);
    return true;
}

// q / 10^decimals, with exactly `decimals` decimals.
std::size_t write_scaled(uint128 q, int decimals, char* out)
{
    const std::uint64_t one = kPowersOfTen[decimals];
    const bool narrow = q >> 64 == 0;  // a 64-bit division is far cheaper
    const auto whole = narrow ? static_cast<std::uint64_t>(q) / one : static_cast<std::uint64_t>(q / one);
    const auto part = narrow ? static_cast<std::uint64_t>(q) % one : static_cast<std::uint64_t>(q % one);
    std::size_t n = unsigned_text(whole, out);
    if (decimals > 0) {
        out[n++] = '.';
        std::uint64_t rest = part;
        for (int i = decimals - 1; i >= 0; --i) {
            out[n + static_cast<std::size_t>(i)] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        }
        n += static_cast<std::size_t>(decimals);
    }
    return n;
}

std::size_t fixed_text(double x, int decimals, char* out)
{
    uint128 q = 0;
    if (!fixed_digits(x, decimals, q))
        return 0;
    return write_scaled(q, decimals, out);
}

std::size_t scaled_text(std::uint64_t q, int decimals, char* out)
{
    return write_scaled(q, decimals, out);
}

bool decimal_value(std::uint64_t q, int decimals, double& value)
{
    if (q > (std::uint64_t{1} << 53) || decimals < 0 || decimals > 22)
        return false;
    value = static_cast<double>(q) / kDoublePowersOfTen[decimals];
    return true;
}

}  // namespace melplay
