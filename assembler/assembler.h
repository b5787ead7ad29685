// The two-pass assembler: source text in, the bytes of the image (or the errors) out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kodasm {

struct Diagnostic {
    int line = 0;            // from 1
    std::size_t column = 0;  // from 1
    std::string message;     // a sentence without the position, ending in a full stop
};

struct Assembly {
    std::uint32_t origin = 0;          // address of the first byte assembled
    std::vector<unsigned char> bytes;  // from origin to the last byte assembled; gaps hold $FF
    std::vector<Diagnostic> errors;    // sorted by position; the bytes are empty when there are any
};

// Assembles the whole source text. Lines end in LF (a CR before it is ignored).
Assembly assemble(const std::string& text);

// The errors as printed: "file:line:column: message", the source line, and a caret under the
// column (tabs kept, so that the caret lines up).
std::string format_errors(const std::string& file, const std::string& text, const std::vector<Diagnostic>& errors);

}  // namespace kodasm
