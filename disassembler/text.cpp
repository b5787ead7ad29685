// Bounded text building for the fixed-size line stores.
#include "text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace koddar {

void appendf(char* dst, std::size_t size, const char* fmt, ...)
{
    const std::size_t used = std::strlen(dst);
    if (used + 1 >= size)
        return;
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(dst + used, size - used, fmt, args);
    va_end(args);
}

void append(char* dst, std::size_t size, const char* src)
{
    std::size_t used = std::strlen(dst);
    while (*src != '\0' && used + 1 < size)
        dst[used++] = *src++;
    dst[used] = '\0';
}

void pad_to(char* dst, std::size_t size, std::size_t column)
{
    std::size_t used = std::strlen(dst);
    while (used < column && used + 1 < size)
        dst[used++] = ' ';
    dst[used] = '\0';
}

}  // namespace koddar
