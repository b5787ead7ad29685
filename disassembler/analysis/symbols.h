// The names a mapped listing prints in place of numbers: labels for addresses (the map's and the
// tracer's), and the map's names for registers and ports.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "map.h"
#include "operand_names.h"
#include "tracer.h"

namespace koddar {

// The decoder prints these names while a ScopedNames lends them to it.
class Symbols final : public OperandNames {
public:
    Symbols(const Map& map, const Trace& trace, std::int32_t reloc);

    // nullptr where there is no name.
    const std::string* address(std::int32_t at) const override;
    // Inline, as the listing asks for every line.
    const std::string* at_offset(std::int32_t offset) const
    {
        if (offset < 0 || static_cast<std::size_t>(offset) >= by_offset_.size())
            return nullptr;
        const std::int32_t i = by_offset_[static_cast<std::size_t>(offset)];
        return i < 0 ? nullptr : &trace_.labels[static_cast<std::size_t>(i)].name;
    }
    const std::string* reg(unsigned n) const override { return name_or_null(map_.reg[n & 0xFF]); }
    const std::string* port(unsigned n) const override { return name_or_null(map_.port[n & 0xFF]); }
    // The map's comments for the line that starts at an offset: those of its address and, for
    // an instruction, of the bytes inside it, joined; nullptr where there is none.
    const std::string* comment_at(std::int32_t offset) const
    {
        return comments_.empty() ? nullptr : comment_search(offset);
    }

private:
    static const std::string* name_or_null(const std::string& s) { return s.empty() ? nullptr : &s; }
    const std::string* comment_search(std::int32_t offset) const;

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

}  // namespace koddar
