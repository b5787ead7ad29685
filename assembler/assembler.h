// The two-pass assembler: source text in, the bytes of the image (or the errors) out.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace kodasm {

struct Diagnostic {
    int line = 0;            // from 1; 0 for a fault of the whole source
    std::size_t column = 0;  // from 1
    std::string message;     // a sentence without the position, ending in a full stop
    std::string file;        // the file of the line; empty for the main source
    std::string source;      // the line's text, for the caret
    std::string context;     // the include and macro chain, one "  in ..." line each
    std::size_t order = 0;   // statements in the order of the source, to sort by
};

// A name the source defined, for the map: labels are addresses, EQUs of registers and ports are
// "reg" and "port" entries.
struct Symbol {
    enum class Kind : std::uint8_t { Label, Number, Register, Port };
    std::string name;
    Kind kind = Kind::Label;
    long value = 0;
};

struct Assembly {
    std::uint32_t origin = 0;           // address of the first byte assembled
    std::vector<unsigned char> bytes;   // from origin to the last byte assembled; gaps hold $FF
    std::vector<bool> assembled;        // per byte of bytes: written by the source, not a gap
    std::vector<Diagnostic> errors;     // in source order; the bytes are empty when there are any
    bool stopped = false;               // the run stopped at kMaxErrors
    std::vector<Symbol> symbols;        // sorted by name
    long entry = -1;                    // the address given to END, -1 without
    std::vector<std::string> inputs;    // every file read besides the main source (includes, BINCLUDEs)
    int processor = 0;                  // the processor of the last CPU line, for the listing
};

constexpr std::size_t kMaxErrors = 50;

struct Options {
    std::string path;         // the main source's file name: includes are found from its folder
    std::time_t now = 0;      // the time of assembly, for DATE and TIME
    int processor = 0;        // the processor before any CPU line (the target computer's)
};

// Assembles the whole source text. Lines end in LF (a CR before it is ignored); a UTF-8 byte
// order mark at the start is skipped.
Assembly assemble(const std::string& text, const Options& options = {});

// The errors as printed: "file:line:column: message", the include or macro chain, the source
// line, and a caret under the column (tabs kept, so that the caret lines up). file names the
// main source.
std::string format_errors(const std::string& file, const std::string& text, const std::vector<Diagnostic>& errors);

// A name or token of the input as a message quotes it: at most 40 characters (then "..."), every
// byte outside printable ASCII written \xNN.
std::string quote(std::string_view text);

}  // namespace kodasm
