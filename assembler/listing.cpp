// The listing runs the disassembler's decoder over the assembled bytes, as koddar lists the
// target file at its address.
#include "listing.h"

#include "decoder.h"
#include "scoped.h"

namespace kodasm {

std::string listing(const Assembly& assembly)
{
    std::string out;
    if (assembly.bytes.empty())
        return out;
    std::vector<unsigned char> image(assembly.bytes);
    // Decoded with the map it was assembled for.
    const koddar::ScopedImage assembled(image.data(), static_cast<std::int32_t>(image.size()),
                                        static_cast<std::int32_t>(assembly.origin),
                                        static_cast<std::size_t>(assembly.processor));
    char line[koddar::kLineSize];
    for (std::int32_t a = 0; a < koddar::loaded_length;) {
        a = koddar::Dasmtms7020(line, a);
        out += line;
        out += '\n';
    }
    return out;
}

}  // namespace kodasm
