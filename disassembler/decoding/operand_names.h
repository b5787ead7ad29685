// The names the operand formatter prints in place of numbers. The decoder only asks; whoever
// knows names (the analysis of a mapped listing) implements this interface and lends it to the
// decoder for a while with ScopedNames.
#pragma once

#include <cstdint>
#include <string>

namespace koddar {

class OperandNames {
public:
    // nullptr where there is no name.
    virtual const std::string* address(std::int32_t at) const = 0;
    virtual const std::string* reg(unsigned n) const = 0;
    virtual const std::string* port(unsigned n) const = 0;

protected:
    ~OperandNames() = default;
};

// The names in use; nullptr (the default) prints every operand as a number.
extern const OperandNames* operand_names;

// What the operand formatter asks: the name in place of an address (an operand value), a
// register or a port, or nullptr.
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
