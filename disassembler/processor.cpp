// The processor choice.
#include "processor.h"

#include <cctype>
#include <cstring>
#include <iterator>

namespace koddar {

std::size_t processor = kTargetProcessor;

std::size_t find_processor(std::string_view text)
{
    std::size_t i = 0;
    for (; i < std::size(processors); ++i) {
        const char* known = processors[i].name;
        bool same = std::strlen(known) == text.size();
        for (std::size_t k = 0; same && k < text.size(); ++k)
            same = std::tolower(static_cast<unsigned char>(text[k])) == known[k];
        if (same)
            break;
    }
    return i;
}

}  // namespace koddar
