// Register names come from the disassembler itself: each register-file byte is decoded once as
// the operand of DEC, and the text printed for it is the name kodasm accepts. So the two tools
// can never disagree on a name.
#include "registers.h"

#include <cstdlib>
#include <unordered_map>

#include "decoder.h"
#include "opcode_map.h"

namespace kodasm {

namespace {

// "R" or "P" followed by a decimal number 0 to 255 without sign; -1 otherwise.
int numbered(const std::string& upper, char letter)
{
    if (upper.size() < 2 || upper.size() > 4 || upper[0] != letter)
        return -1;
    int n = 0;
    for (std::size_t i = 1; i < upper.size(); ++i) {
        if (upper[i] < '0' || upper[i] > '9')
            return -1;
        n = n * 10 + (upper[i] - '0');
    }
    return n <= 255 ? n : -1;
}

std::unordered_map<std::string, int> printed_names()
{
    std::unordered_map<std::string, int> names;
    unsigned char* const saved_buffer = koddar::buffer;
    const std::int32_t saved_length = koddar::loaded_length;
    const std::int32_t saved_reloc = koddar::reloc;
    unsigned char bytes[2] = {0xD2, 0};  // DEC with a register operand
    koddar::buffer = bytes;
    koddar::loaded_length = 2;
    koddar::reloc = 0;
    char line[koddar::kLineSize];
    for (int n = 2; n < 256; ++n) {  // 0 and 1 print as A and B
        bytes[1] = static_cast<unsigned char>(n);
        koddar::Dasmtms7020(line, 0);
        names.emplace(koddar::param, n);
    }
    koddar::buffer = saved_buffer;
    koddar::loaded_length = saved_length;
    koddar::reloc = saved_reloc;
    return names;
}

}  // namespace

int register_number(const std::string& upper)
{
    static const std::unordered_map<std::string, int> names = printed_names();
    const auto found = names.find(upper);
    if (found != names.end())
        return found->second;
    return numbered(upper, 'R');
}

int port_number(const std::string& upper)
{
    return numbered(upper, 'P');
}

}  // namespace kodasm
