// The lines a mapped listing adds to the instruction lines: label lines and data lines (BYTE,
// WORD, TEXT), in the listing's columns, each built with its length known.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "decoder.h"
#include "layout.h"
#include "map.h"
#include "operand_names.h"
#include "tracer.h"

namespace koddar {

// Room for the longest mapped line: names of kMaxNameLength characters in every operand, a
// note and a comment of kMaxCommentLength characters from the map.
constexpr std::size_t kMappedLineSize = 512;

// A line being built, with its length.
class Line {
public:
    // Inline, as every line is built of several pieces.
    void put(const char* s, std::size_t n)
    {
        if (n > sizeof text_ - 1 - size_)
            n = sizeof text_ - 1 - size_;
        std::memcpy(text_ + size_, s, n);
        size_ += n;
        text_[size_] = '\0';
    }
    template <std::size_t N>
    void put(const char (&s)[N])
    {
        put(s, N - 1);
    }
    void put_hex4(std::uint32_t v);   // "%04X"
    void put_lower(unsigned n);       // "%02x"
    void put_upper(unsigned n);       // "%02X"
    void pad_to(std::size_t column);  // blanks up to the column, none when already past it
    const char* text() const { return text_; }
    std::size_t size() const { return size_; }

private:
    char text_[kMappedLineSize];
    std::size_t size_ = 0;
};

// The hex column of a line: the address and the bytes, padded to the mnemonic column.
void start_line(Line& line, std::int32_t address, const unsigned char* bytes, int count);

// The line before a labelled address: the address, the name and a colon in the mnemonic
// column, then the sources of refs[0..count) (the references to it) as a comment, a few of
// them and then how many more.
void label_line(Line& line, std::int32_t address, const char* label, std::size_t label_size, const Ref* refs,
                std::size_t count);

// The same line written in place into `out` (kMappedLineSize bytes at least; not
// zero-terminated) when the address and the sources show in four digits, the name is a map's
// or the trace's and no more than kShownRefs references are listed: the mapped listing's
// label lines, made without a Line. Returns its length, or 0 and writes nothing otherwise.
std::size_t write_label_line(char* out, std::int32_t address, const char* label, std::size_t label_size,
                             const Ref* refs, std::size_t count);

// Which bytes a TEXT operand shows between double quotes: printable ones but the quote itself;
// in a source, not the backslash either, which kodasm reads as the start of an escape.
enum class Quoting : std::uint8_t { Listing, Source };

// The operands of a TEXT line: each run of bytes that `quoting` shows between double quotes,
// each other byte as $nn, separated by commas.
void put_text(Line& line, const unsigned char* bytes, int count, Quoting quoting);

// A data line of `count` bytes (1 to a listing run's length) at `address`: BYTE $nn,...; WORD
// $nnnn,... (count even) with the values `names` knows by name; TEXT with printable runs quoted.
void data_line(Line& line, std::int32_t address, const unsigned char* bytes, int count, DataKind kind,
               const OperandNames* names);

}  // namespace koddar
