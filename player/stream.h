// The note stream read strictly: its elements, or the first fault with its byte offset.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace melplay {

enum class Kind { Note, SectionStart, SectionEnd };

struct Element {
    std::size_t offset = 0;  // of the element's first byte
    Kind kind = Kind::Note;
    int code = 0;          // Note: 1 to 95
    unsigned divisor = 0;  // Note: 1 to 65535
    int count = 0;         // SectionStart: 1 to 127
};

struct Stream {
    std::vector<Element> elements;  // in stream order, the terminator left out
    std::size_t size = 0;           // bytes, the terminator included
    std::size_t note_events = 0;
};

enum class Fault {
    None,
    Empty,
    BadCode,
    ZeroDivisor,
    StartInside,
    EndOutside,
    OpenAtTerminator,
    CutShort,
    NoTerminator,
    BytesAfter,
};

struct Check {
    Fault fault = Fault::None;
    std::size_t offset = 0;  // where the fault lies
    unsigned byte = 0;       // BadCode: the byte found
};

// Reads the whole stream; on a fault `stream` holds what came before it.
Check check_stream(const std::vector<unsigned char>& bytes, Stream& stream);

// One line, ending with a newline; empty for Fault::None.
std::string fault_message(const Check& check);

}  // namespace melplay
