// The map file: what the user knows about an image. Entry points to trace code from, names for
// addresses, registers and ports, and the ranges that hold data rather than code.
//
// One directive a line; '#' or ';' starts a comment:
//   code ADDR [NAME]        an entry point
//   label ADDR NAME         a name for an address
//   bytes ADDR END [NAME]   data listed as bytes        (END is the last address of the range)
//   words ADDR END [NAME]   data listed as 16-bit words, high byte first
//   addrs ADDR END [NAME]   a table of 16-bit code addresses, each an entry point
//   text ADDR END [NAME]    ASCII text
//   vectors                 the TRAP vectors FFD0-FFFF, where loaded, as an addrs table
//   reg N NAME, port N NAME a name for register N or port N (decimal, 0 to 255)
//   params ADDR N           the routine at ADDR takes N bytes (decimal) after each call to it
//   noreturn ADDR           a call to the routine at ADDR does not come back
//   comment ADDR TEXT       TEXT (the rest of the line) at the end of ADDR's line
//   find WHAT SETTING       turns an analysis after the trace on or off: gaps, tables (both
//                           on by default) or text; on, off, or for text the least length
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace koddar {

enum class DataKind : std::uint8_t { Bytes, Words, Addrs, Text };

struct MapRange {
    std::int32_t start;  // relocated addresses, both inside the image
    std::int32_t end;    // last address of the range
    DataKind kind;
    int line;  // line of the map that declared it
};

struct MapEntry {
    std::int32_t address;  // inside the image
    int line;
};

struct MapName {
    std::int32_t address;  // anywhere: a name may stand for an address outside the image
    std::string name;
    int line;
};

// What a map says of a routine that code calls: bytes that follow each call, or no return.
struct MapRoutine {
    std::int32_t address;  // anywhere, like a name
    int params;            // bytes after each call; 0 for none
    int params_line;       // the line that gave them, 0 for none
    bool noreturn;
};

struct MapComment {
    std::int32_t address;  // inside the image
    std::string text;
    int line;
};

struct Map {
    std::vector<MapEntry> entries;  // in the order of the file
    std::vector<MapName> names;     // every address name: label directives, named entries and ranges
    std::vector<MapRange> ranges;   // the vectors' range included
    std::vector<std::string> reg = std::vector<std::string>(256);   // empty: the built-in name
    std::vector<std::string> port = std::vector<std::string>(256);  // empty: Pn
    int vectors_line = 0;                                           // line of `vectors`, 0 when absent
    std::vector<MapRoutine> routines;                               // in the order of the file, one per address
    std::vector<MapComment> comments;                               // in the order of the file, one per address
    // The `find` settings: -1 when the map says nothing, else 0 (off), 1 (on) or for text the
    // least length of a run.
    struct Find {
        int gaps = -1;
        int tables = -1;
        int text = -1;
    } find;
};

constexpr std::size_t kMaxNameLength = 32;
constexpr std::size_t kMaxCommentLength = 200;
constexpr std::size_t kMaxMapSize = 1 << 20;  // a map file is read up to this many bytes

// The TRAP vector table: TRAP n jumps through the word at kVectorTop - 2n, high byte first.
constexpr std::int32_t kVectorBase = 0xFFD0;
constexpr std::int32_t kVectorTop = 0xFFFE;

// Reads map text for an image of `length` bytes at `reloc`. On the first fault prints
// "path:LINE: message" on the standard error and returns false.
bool parse_map(const char* text, std::size_t size, const char* path, std::int32_t reloc, std::int32_t length, Map& map);

// Per offset of an image of `length` bytes at `reloc`: the index in map.ranges of the range
// that holds it, -1 outside every range.
std::vector<int> range_index(const Map& map, std::int32_t reloc, std::int32_t length);

// Reads the map file `path` (with a bound) and parses it; false after a message.
bool read_map(const char* path, std::int32_t reloc, std::int32_t length, Map& map);

}  // namespace koddar
