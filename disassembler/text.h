// Bounded text building for the fixed-size line stores.
#pragma once

#include <cstddef>

namespace koddar {

// Appends printf-formatted text to the zero-terminated text in dst (size bytes in all);
// output that would not fit is cut, never written past the store.
void appendf(char* dst, std::size_t size, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

// Appends the plain text src, cut like appendf; for pieces that need no conversion, which
// keeps the line assembly clear of the cost of formatting.
void append(char* dst, std::size_t size, const char* src);

// Appends blanks until the text is `column` characters long; a longer text is left as it is.
void pad_to(char* dst, std::size_t size, std::size_t column);

}  // namespace koddar
