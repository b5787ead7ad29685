// Bounded text building for the fixed-size line stores.
#pragma once

#include <cstddef>
#include <cstdint>

namespace koddar {

// Appends src to the zero-terminated text in dst (size bytes in all); text that would not
// fit is cut, never written past the store.
void append(char* dst, std::size_t size, const char* src);

// One printf conversion of every byte value, made once at start-up: a whole-image listing
// needs several per line, and formatting each afresh was most of its cost.
class ByteTexts {
public:
    explicit ByteTexts(const char* format);
    const char* operator[](unsigned n) const { return text_[n & 0xFF]; }

private:
    char text_[256][4];
};

extern const ByteTexts hex_lower;  // "%02x": the hex column
extern const ByteTexts hex_upper;  // "%02X": immediate bytes
extern const ByteTexts decimal;    // "%u": port, register and TRAP numbers

// Appends "%04X" of v, built from the byte tables: the same digits printf writes.
void append_hex4(char* dst, std::size_t size, std::uint32_t v);

// Appends blanks until the text is `column` characters long; a longer text is left as it is.
void pad_to(char* dst, std::size_t size, std::size_t column);

}  // namespace koddar
