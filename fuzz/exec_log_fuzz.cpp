// The execution log reader over arbitrary text, against a model of the format: each line whose
// first word is 4 to 8 hexadecimal digits, ended by a blank, a tab, a colon, CR, LF or the end of
// the text, gives an address; each address inside the image counts once, in the order of the
// text, and one in the map's data range is reported with its line instead of taken.
// Input: 1 byte choosing the relocation, 2 bytes the image length, 2 bytes the first offset of
// a data range and 1 byte its length less one (both cut to the image; a range the map would
// refuse ends the run), then the log text.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "analysis.h"
#include "capture.h"
#include "map.h"

namespace {

constexpr int kRangeLine = 7;  // the map line of the data range

struct Expected {
    std::vector<std::int32_t> entries;
    std::string err;
};

bool hex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

Expected model(const std::string& text, std::uint32_t reloc, std::uint32_t n, std::uint32_t first, std::uint32_t last)
{
    Expected e;
    std::vector<bool> seen(n, false);
    std::size_t start = 0;
    for (int line = 1; start <= text.size(); ++line) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::size_t digits = 0;
        while (start + digits < end && hex(text[start + digits]))
            ++digits;
        const std::size_t after = start + digits;
        const bool ended = after == text.size() || text[after] == ' ' || text[after] == '\t' || text[after] == ':' ||
                           text[after] == '\r' || text[after] == '\n';
        if (digits >= 4 && digits <= 8 && ended) {
            const std::uint32_t address =
                static_cast<std::uint32_t>(std::stoul(text.substr(start, digits), nullptr, 16));
            const std::uint32_t off = address - reloc;
            if (off < n && !seen[off]) {
                seen[off] = true;
                if (off >= first && off <= last) {
                    char message[96];
                    std::snprintf(message, sizeof message,
                                  "fuzz.log:%d: %04X is in the data range of line %d of the map.\n", line, address,
                                  kRangeLine);
                    e.err += message;
                } else {
                    e.entries.push_back(static_cast<std::int32_t>(address));
                }
            }
        }
        start = end + 1;
    }
    return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 6)
        return 0;
    const std::uint32_t relocs[] = {0, 0xF000, 0xFFFFFF00u, 0x7FFFFFF0};
    const std::uint32_t reloc = relocs[data[0] & 3];
    const std::uint32_t n = 1 + static_cast<std::uint32_t>(data[1] | data[2] << 8) % 4096;
    const std::uint32_t first = static_cast<std::uint32_t>(data[3] | data[4] << 8) % n;
    const std::uint32_t last = first + data[5] < n ? first + data[5] : n - 1;
    // The range as a map gives it, on its line: the map refuses one that crosses 7FFFFFFF.
    char lines[160];
    std::snprintf(lines, sizeof lines, "#\n#\n#\n#\n#\n#\nbytes %X %X\n", reloc + first, reloc + last);
    koddar::Map map;
    bool ok = false;
    {
        fuzz::Capture cap;
        ok = koddar::parse_map(lines, std::strlen(lines), "fuzz.map", static_cast<std::int32_t>(reloc),
                               static_cast<std::int32_t>(n), map);
    }
    if (!ok)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data + 6), size - 6);
    std::vector<std::int32_t> entries;
    std::string err;
    {
        fuzz::Capture cap;
        koddar::parse_exec_log(text.data(), text.size(), "fuzz.log", map, static_cast<std::int32_t>(reloc),
                               static_cast<std::int32_t>(n), entries);
        err = cap.err();
    }
    const Expected e = model(text, reloc, n, first, last);
    std::string got, want;
    for (const std::int32_t at : entries)
        got += std::to_string(at) + " ";
    for (const std::int32_t at : e.entries)
        want += std::to_string(at) + " ";
    fuzz::check(entries == e.entries, "the log's addresses in the image, each once, in order", got + "/ " + want);
    fuzz::check(err == e.err, "a conflict for each address in the data range", err);
    return 0;
}
