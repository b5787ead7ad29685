// The names a mapped listing prints in place of numbers: labels for addresses (the map's and the
// tracer's), and the map's names for registers and ports.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "map.h"
#include "tracer.h"

namespace koddar {

class Symbols {
public:
    Symbols(const Map& map, const Trace& trace, std::int32_t reloc);

    // nullptr where there is no name.
    const std::string* address(std::int32_t at) const;
    const std::string* at_offset(std::int32_t offset) const;
    const std::string* reg(unsigned n) const { return name_or_null(map_.reg[n & 0xFF]); }
    const std::string* port(unsigned n) const { return name_or_null(map_.port[n & 0xFF]); }
    // The map's comments for the line that starts at an offset: those of its address and, for
    // an instruction, of the bytes inside it, joined; nullptr where there is none.
    const std::string* comment_at(std::int32_t offset) const;

private:
    static const std::string* name_or_null(const std::string& s) { return s.empty() ? nullptr : &s; }

    const Map& map_;
    const Trace& trace_;
    std::int32_t reloc_;
    bool wraps_;                           // addresses wrap at 16 bits: the image lies within 0000-FFFF
    std::vector<std::int32_t> by_offset_;  // index into trace_.labels, -1 for none
    struct Comment {
        std::int32_t offset;
        std::string text;
    };
    std::vector<Comment> comments_;  // by offset
};

// The names the operand formatter uses; nullptr (the default) prints every operand as a number.
extern const Symbols* symbols;

// The names the operand formatter prints in place of numbers: set by the mapped listing
// alone, nullptr otherwise (the source writer reads the plain operands and names them itself).
extern const Symbols* operand_names;

// What the operand formatter asks: the name in place of an address (an operand value), a
// register or a port, or nullptr; always nullptr outside the mapped listing.
inline const std::string* address_name(std::uint32_t v)
{
    return operand_names != nullptr ? operand_names->address(static_cast<std::int32_t>(v)) : nullptr;
}
inline const std::string* register_name(unsigned n)
{
    return operand_names != nullptr ? operand_names->reg(n) : nullptr;
}
inline const std::string* port_name(unsigned n)
{
    return operand_names != nullptr ? operand_names->port(n) : nullptr;
}

}  // namespace koddar
