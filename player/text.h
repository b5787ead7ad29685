// printf into a std::string.
#pragma once

#include <string>

namespace melplay {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
format(const char* fmt, ...);

}  // namespace melplay
