// The listing runs the disassembler's decoder over the assembled bytes, as koddar lists the
// target file at its address.
#include "listing.h"

#include "decoder.h"
#include "processor.h"

namespace kodasm {

std::string listing(const Assembly& assembly)
{
    std::string out;
    if (assembly.bytes.empty())
        return out;
    std::vector<unsigned char> image(assembly.bytes);
    unsigned char* const saved_buffer = koddar::buffer;
    const std::int32_t saved_length = koddar::loaded_length;
    const std::int32_t saved_reloc = koddar::reloc;
    const std::size_t saved_processor = koddar::processor;
    koddar::processor = static_cast<std::size_t>(assembly.processor);  // decoded with the map it was assembled for
    koddar::buffer = image.data();
    koddar::loaded_length = static_cast<std::int32_t>(image.size());
    koddar::reloc = static_cast<std::int32_t>(assembly.origin);
    char line[koddar::kLineSize];
    for (std::int32_t a = 0; a < koddar::loaded_length;) {
        a = koddar::Dasmtms7020(line, a);
        out += line;
        out += '\n';
    }
    koddar::buffer = saved_buffer;
    koddar::loaded_length = saved_length;
    koddar::reloc = saved_reloc;
    koddar::processor = saved_processor;
    return out;
}

}  // namespace kodasm
