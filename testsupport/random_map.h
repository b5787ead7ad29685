// Random images with random maps for koddar's write-back property (a listing made with the map
// that -w wrote is the listing that wrote it, and that run writes the same map): one case from
// each seed, so that the unit test and the fuzzer draw from the same kind of inputs. Most maps
// are valid; some are refused, which the caller skips.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace testsupport {

struct RandomMapCase {
    std::vector<unsigned char> image;
    std::int32_t reloc = 0;
    std::string map;
};

inline RandomMapCase random_map_case(std::uint64_t seed)
{
    std::mt19937_64 rng(seed);
    auto below = [&](std::uint32_t n) { return static_cast<std::int32_t>(rng() % n); };
    RandomMapCase c;
    const bool top = below(4) == 0;  // an image that ends at FFFF, with the vectors
    const std::int32_t n = top ? 0x30 + below(64) : 8 + below(200);
    const std::int32_t relocs[] = {0xF000, 0, 0x10000 - n, -0x10};
    c.reloc = top ? 0x10000 - n : relocs[below(4)];
    // Bytes that make real flow often: returns, jumps, calls, branches and undefined opcodes
    // among random ones; erased words near the top.
    const unsigned char common[] = {0x0A, 0x0B, 0xE0, 0xE2, 0xCA, 0x8E, 0x8C, 0xAC, 0x9E, 0xFD, 0xFF, 0x00, 0x02, 0xB7};
    for (std::int32_t i = 0; i < n; ++i)
        c.image.push_back(below(3) == 0 ? common[below(sizeof common)] : static_cast<unsigned char>(rng()));
    // Branch targets inside the image, to make calls into routines with parameters.
    for (std::size_t i = 0; i + 2 < c.image.size(); ++i)
        if (c.image[i] == 0x8E && below(2) == 0) {
            const auto target = static_cast<std::uint32_t>(c.reloc + below(static_cast<std::uint32_t>(n)));
            c.image[i + 1] = static_cast<unsigned char>(target >> 8);
            c.image[i + 2] = static_cast<unsigned char>(target);
        }
    auto hex = [&](std::int32_t offset) {
        char text[16];
        std::snprintf(text, sizeof text, "%04X", static_cast<std::uint32_t>(c.reloc + offset));
        return std::string(text);
    };
    std::vector<std::string> lines;
    std::vector<bool> taken(static_cast<std::size_t>(n), false);  // by a range
    const char* const kinds[] = {"bytes", "words", "addrs", "text"};
    const std::int32_t ranges_end = top && below(2) == 0 ? n - 0x30 : n;
    if (ranges_end != n)
        lines.push_back("vectors");
    for (int r = below(4); r > 0; --r) {
        const std::int32_t start = below(static_cast<std::uint32_t>(ranges_end));
        const std::int32_t end = std::min(ranges_end - 1, start + below(12));
        if (std::any_of(taken.begin() + start, taken.begin() + end + 1, [](bool t) { return t; }))
            continue;
        std::fill(taken.begin() + start, taken.begin() + end + 1, true);
        lines.push_back(std::string(kinds[below(4)]) + " " + hex(start) + " " + hex(end) +
                        (below(2) ? " T" + std::to_string(r) : ""));
    }
    for (int e = 1 + below(4); e > 0; --e) {
        const std::int32_t at = below(static_cast<std::uint32_t>(n));
        if (!taken[static_cast<std::size_t>(at)])
            lines.push_back("code " + hex(at) + (below(2) ? " E" + std::to_string(e) : ""));
    }
    for (int l = below(4); l > 0; --l)
        lines.push_back("label " + hex(below(static_cast<std::uint32_t>(n + 16)) - 8) + " lab" + std::to_string(l));
    for (int k = below(3); k > 0; --k) {
        const std::string at = hex(below(static_cast<std::uint32_t>(n)));
        lines.push_back(below(2) ? "params " + at + " " + std::to_string(below(4)) : "noreturn " + at);
    }
    for (int k = below(4); k > 0; --k)
        lines.push_back("comment " + hex(below(static_cast<std::uint32_t>(n))) + " note " + std::to_string(k) +
                        (below(2) ? " ; with # marks" : ""));
    if (below(2))
        lines.push_back("reg " + std::to_string(2 + below(254)) + " COUNT");
    if (below(2))
        lines.push_back("port " + std::to_string(below(256)) + " LEDS");
    std::shuffle(lines.begin(), lines.end(), rng);
    for (const std::string& line : lines)
        c.map += line + "\n";
    return c;
}

}  // namespace testsupport
