// kodasm over arbitrary input, read two ways. As source text (includes, macros and all): the
// assembler never crashes and either reports errors (each with a position inside its line) or
// yields bytes that fit the address space. As a code image (first two bytes the relocation address, high byte first):
// koddar -a writes its source, and kodasm assembles exactly the image back.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "arguments.h"
#include "assembler.h"
#include "capture.h"
#include "decoder.h"
#include "listing.h"
#include "map.h"
#include "source_writer.h"
#include "window.h"

namespace {

void assemble_text(const std::string& text)
{
    const kodasm::Assembly a = kodasm::assemble(text);
    if (!a.errors.empty()) {
        fuzz::check(a.bytes.empty(), "nothing is assembled after an error");
        for (const kodasm::Diagnostic& d : a.errors)
            fuzz::check(d.line >= 0 && d.column <= d.source.size() + 1, "errors point into their line", d.message);
        kodasm::format_errors("fuzz.asm", text, a.errors);
        return;
    }
    fuzz::check(!a.bytes.empty() && a.origin + a.bytes.size() <= 0x10000, "the bytes fit the address space");
    kodasm::listing(a);
}

void round_trip(const std::uint8_t* data, std::size_t size, const char* map_text = nullptr, std::size_t map_size = 0)
{
    if (size < 3 || size - 2 > 0x10000)
        return;
    std::vector<unsigned char> image(data + 2, data + size);
    const auto n = static_cast<std::int32_t>(image.size());
    const std::int32_t at = std::min<std::int32_t>(data[0] << 8 | data[1], 0x10000 - n);
    koddar::buffer = image.data();
    koddar::loaded_length = n;
    koddar::reloc = at;
    koddar::debut = koddar::fin = 0;
    std::int32_t nb = n;
    fuzz::check(koddar::fix_window(nb), "the whole image is a window");
    char* text = nullptr;
    std::size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    if (map_text == nullptr) {
        fuzz::check(koddar::write_source(out, nb) == 0, "an image within 16 bits has a source");
    } else {
        koddar::Map map;
        bool ok;
        {
            fuzz::Capture cap;  // a refused map says why on the standard error
            ok = koddar::parse_map(map_text, map_size, "fuzz.map", at, n, map);
        }
        if (!ok) {
            std::fclose(out);
            std::free(text);
            koddar::buffer = nullptr;
            return;
        }
        fuzz::check(koddar::write_mapped_source(out, nb, map, koddar::MapOptions{}) == 0,
                    "a mapped image has a source");
    }
    std::fclose(out);
    const std::string source(text, length);
    std::free(text);
    koddar::buffer = nullptr;

    const kodasm::Assembly a = kodasm::assemble(source);
    fuzz::check(a.errors.empty(), "koddar's source assembles", source);
    fuzz::check(a.origin == static_cast<std::uint32_t>(at) && a.bytes == image, "the same bytes come back", source);
    kodasm::listing(a);  // the assembler's listing of the same run is made without fault
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    assemble_text(std::string(reinterpret_cast<const char*>(data), size));
    if (size > 0 && data[0] == 0) {
        round_trip(data + 1, size - 1);
    } else if (size > 0 && data[0] == 1) {
        const auto* zero = static_cast<const std::uint8_t*>(std::memchr(data + 1, 0, size - 1));
        if (zero != nullptr) {
            const auto map_size = static_cast<std::size_t>(zero - data - 1);
            round_trip(zero + 1, size - map_size - 2, reinterpret_cast<const char*>(data + 1), map_size);
        }
    }
    return 0;
}
