// The numbers of a score and the divisor they give: pure functions, shared with melplay.
#include "numbers.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

constexpr int kMaxDivisor = 65535;

}  // namespace

int read_count(const char* token)
{
    // long is wider than int here, so strtol alone would not saturate at INT_MAX.
    long value = std::strtol(token, nullptr, 10);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

int read_count(const char* token, std::size_t n)
{
    if (n == 0 || n > 4)
        return read_count(token);
    int value = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned digit = static_cast<unsigned char>(token[i]) - static_cast<unsigned>('0');
        if (digit > 9)
            return read_count(token);
        value = value * 10 + static_cast<int>(digit);
    }
    return value;
}

float read_duration(const char* token)
{
    // Through double on purpose: strtof rounds once, straight to float, and differs.
    return static_cast<float>(std::strtod(token, nullptr));
}

// The double rounding below needs the 64-bit significand of the x87 extended format; with a
// long double that is only a double (or a wider quad) some divisors would come out different.
static_assert(std::numeric_limits<long double>::digits == 64, "long double must have a 64-bit significand");

double divisor_quotient(int type, float freq, float duration, int tempo)
{
    // The products are exact in double. The division is rounded first to the
    // 64-bit significand of long double, then to double: that double rounding is
    // how the machine's note lengths were defined, and it moves some quotients.
    double product = type == 3 ? static_cast<double>(duration) * 3960.0
                               : (static_cast<double>(freq) * 60.0) * static_cast<double>(duration);
    long double quotient = static_cast<long double>(product) / static_cast<long double>(tempo);
    return static_cast<double>(quotient);
}

int compute_diviseur(int type, float freq, float duration, int tempo)
{
    double ceiling = std::ceil(divisor_quotient(type, freq, duration, tempo));
    // Checked on the double: converting a NaN, an infinity or a huge value to int
    // would be undefined.
    if (!(ceiling >= 1.0 && ceiling <= kMaxDivisor))
        return 0;
    return static_cast<int>(ceiling);
}
