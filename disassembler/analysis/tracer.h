// The tracer: follows the flow of the code from the map's entry points and says, for every byte
// of the image, whether an instruction starts there, continues there, or the byte is data. It
// also names every address that code reaches or reads, and records who refers to it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "instructions.h"
#include "map.h"

namespace koddar {

// What one image byte is.
enum class Use : std::uint8_t { Data, Code, CodeMore };

// A reference from the instruction or table word at `from` to `target` (both addresses).
struct Ref {
    std::int32_t target;
    std::int32_t from;
};

// A path that had to stop. `from` is the address it came from, or, when from_line is not 0, the
// path starts at the entry point of that map line.
struct Stop {
    enum Why : std::uint8_t {
        Undefined,  // an undefined opcode at `at`
        Inside,     // `at` lies inside the instruction that starts at `other`
        Outside,    // `at` lies outside the image
        InData,     // `at` lies in the data range of map line `other`
        Overlap,    // the instruction at `at` would take the byte at `other`, which is taken or missing
        InParams,   // `at` lies in the parameters that follow the call at `other`
        Params,     // the parameters after the call at `at` would take the byte at `other`
    };
    Why why;
    std::int32_t at;
    std::int32_t other;
    std::int32_t from;
    int from_line;
};

struct Trace {
    bool traced = false;       // false: the map has no entry point, and every byte outside its ranges is code
    std::vector<Use> use;      // one per image offset
    std::vector<Note> note;    // one per image offset; set at instruction starts only
    std::vector<bool> params;  // one per image offset: a byte of the parameters after a call
    std::vector<Ref> refs;     // sorted by target, then by source; no pair twice
    std::vector<Stop> stops;
    std::vector<MapName> labels;  // the map's names and the generated ones, sorted by address
    std::int32_t code_bytes = 0;
    std::int32_t data_bytes = 0;
    std::int32_t entries = 0;         // distinct entry points: map entries, table words, vectors
    std::int32_t not_followed = 0;    // instructions with a Note
    std::int32_t unused_vectors = 0;  // words FFFF or 0000 of the vectors: no entry point
};

// What an instruction does to the flow, read from its opcode and operand bytes.
struct Flow {
    bool ends = false;         // JMP, BR, RETS, RETI: no next instruction
    int targets = 0;           // branch targets to follow
    std::int32_t target[2]{};  // addresses
    bool reads = false;        // a direct or indexed data address
    std::int32_t data = 0;     // its address
    bool call = false;         // CALL or TRAP: the first target is a routine that returns
    Note note = Note::None;
};

// The flow of the instruction at offset `off` of the image of `length` bytes at `reloc`.
Flow flow_at(const unsigned char* image, std::int32_t length, std::int32_t reloc, std::int32_t off);

// Sorts references by target, then by source (the order of Trace::refs).
void sort_refs(std::vector<Ref>& refs);

// Traces the image of `length` bytes at `reloc` as the map says.
Trace trace_image(const Map& map, const unsigned char* image, std::int32_t length, std::int32_t reloc);

// Traces on over `trace` from more entry points (addresses), with the map's ranges as they are
// now; the counts, references and labels are made again.
void trace_more(const Map& map, Trace& trace, const unsigned char* image, std::int32_t length, std::int32_t reloc,
                const std::vector<std::int32_t>& entries);

}  // namespace koddar
