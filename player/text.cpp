#include "text.h"

#include <cstdarg>
#include <cstdio>

namespace melplay {

std::string format(const char* fmt, ...)
{
    char small[256];
    va_list args;
    va_start(args, fmt);
    int n = vsnprintf(small, sizeof small, fmt, args);
    va_end(args);
    if (n < 0)
        return {};
    if (static_cast<std::size_t>(n) < sizeof small)
        return std::string(small, static_cast<std::size_t>(n));
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    va_start(args, fmt);
    vsnprintf(&s[0], s.size(), fmt, args);
    va_end(args);
    s.resize(static_cast<std::size_t>(n));
    return s;
}

}  // namespace melplay
