#include "text.h"

#include <cstdarg>
#include <cstdio>

namespace melplay {

std::string format(const char* fmt, ...)
{
    std::va_list args;
    va_start(args, fmt);
    std::va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    std::string s;
    if (n > 0) {
        s.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(&s[0], s.size(), fmt, again);
        s.resize(static_cast<std::size_t>(n));
    }
    va_end(again);
    return s;
}

}  // namespace melplay
