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

// The stream as played, sections repeated: calls play(first, last, pass) for each run of notes,
// the elements [first, last): a note outside a section as a run of its own in pass 0, a
// section's notes once in each of its passes, 0 to count - 1. Stops as soon as play returns false.
template <class Play>
void for_each_run(const Stream& stream, Play&& play)
{
    const std::vector<Element>& el = stream.elements;
    for (std::size_t i = 0; i < el.size(); ++i) {
        std::size_t first = i, last = i + 1, passes = 1;
        if (el[i].kind == Kind::SectionStart) {
            passes = static_cast<std::size_t>(el[i].count);
            first = i + 1;
            last = first;
            while (last < el.size() && el[last].kind != Kind::SectionEnd)
                ++last;
            i = last;  // the END
        }
        for (std::size_t pass = 0; pass < passes; ++pass)
            if (!play(first, last, pass))
                return;
    }
}

// Reads the whole stream; on a fault `stream` holds what came before it.
Check check_stream(const std::vector<unsigned char>& bytes, Stream& stream);

// One line, ending with a newline; empty for Fault::None.
std::string fault_message(const Check& check);

}  // namespace melplay
