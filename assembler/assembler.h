// The two-pass assembler: source text in, the bytes of the image (or the errors) out.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <utility>
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
    std::vector<std::pair<int, int>> uses;  // file (index into Assembly::files) and line of each use, for the listing
};

// A source line as the second pass met it, for the listing.
struct Listed {
    int file = 0;            // index into Assembly::files
    int line = 0;            // from 1; a macro or REPT line carries its call's line
    int depth = 0;           // the includes it lies within
    bool expansion = false;  // made by a macro or a REPT
    long address = -1;       // its first byte, or where it left the address; -1 for none
    long count = 0;          // the bytes it assembled, from address
    std::string text;
};

struct Assembly {
    std::uint32_t origin = 0;          // address of the first byte assembled
    std::vector<unsigned char> bytes;  // from origin to the last byte assembled; gaps hold $FF
    std::vector<bool> assembled;       // per byte of bytes: written by the source, not a gap
    std::vector<Diagnostic> errors;    // in source order; the bytes are empty when there are any
    bool stopped = false;              // the run stopped at kMaxErrors
    std::vector<Symbol> symbols;       // sorted by name
    long entry = -1;                   // the address given to END, -1 without
    std::vector<std::string> inputs;   // every file read besides the main source (includes, BINCLUDEs)
    std::vector<Listed> listed;        // every line of the second pass, with Options::listing
    std::vector<std::string> files;    // the names of the files the lines and uses name
};

constexpr std::size_t kMaxErrors = 50;

struct Options {
    std::string path;      // the main source's file name: includes are found from its folder
    std::time_t now = 0;   // the time of assembly, for DATE and TIME
    int processor = 0;     // the processor before any CPU line (the target computer's)
    bool listing = false;  // record the lines and the uses of names, for the listing
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
