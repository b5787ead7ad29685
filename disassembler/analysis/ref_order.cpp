// The order of the references: by target, then by source. A radix sort, a byte at a time from
// the lowest, skipping the bytes that all references share: the references of a 64 KiB image
// differ in four bytes at most, so it takes four passes where a comparison sort takes sixteen.
#include <array>
#include <cstdint>
#include <vector>

#include "tracer.h"

namespace koddar {

namespace {

constexpr int kKeyBytes = 8;

// The pair as one unsigned number in the same order: target in the high half, source in the
// low, each with its sign bit flipped so that negative values come first.
std::uint64_t key(const Ref& r)
{
    const auto biased = [](std::int32_t v) { return static_cast<std::uint32_t>(v) ^ 0x80000000u; };
    return std::uint64_t{biased(r.target)} << 32 | biased(r.from);
}

}  // namespace

void sort_refs(std::vector<Ref>& refs)
{
    std::vector<std::uint64_t> keys(refs.size());
    std::array<std::array<std::uint32_t, 256>, kKeyBytes> counts{};
    for (std::size_t i = 0; i < refs.size(); ++i) {
        const std::uint64_t k = keys[i] = key(refs[i]);
        // Written out: a loop over the bytes stays a loop, at twice the instructions.
        ++counts[0][k & 0xFF];
        ++counts[1][k >> 8 & 0xFF];
        ++counts[2][k >> 16 & 0xFF];
        ++counts[3][k >> 24 & 0xFF];
        ++counts[4][k >> 32 & 0xFF];
        ++counts[5][k >> 40 & 0xFF];
        ++counts[6][k >> 48 & 0xFF];
        ++counts[7][k >> 56];
    }
    std::vector<std::uint64_t> spare(keys.size());
    for (int d = 0; d < kKeyBytes; ++d) {
        const int shift = 8 * d;
        std::array<std::uint32_t, 256>& count = counts[static_cast<std::size_t>(d)];
        if (keys.empty() || count[keys[0] >> shift & 0xFF] == keys.size())
            continue;  // every key has this byte: the order stays
        std::uint32_t start = 0;
        for (std::uint32_t& c : count) {  // counts become the first slot of each byte value
            const std::uint32_t n = c;
            c = start;
            start += n;
        }
        for (const std::uint64_t k : keys)
            spare[count[k >> shift & 0xFF]++] = k;
        keys.swap(spare);
    }
    for (std::size_t i = 0; i < refs.size(); ++i)
        refs[i] = {static_cast<std::int32_t>(static_cast<std::uint32_t>(keys[i] >> 32) ^ 0x80000000u),
                   static_cast<std::int32_t>(static_cast<std::uint32_t>(keys[i]) ^ 0x80000000u)};
}

}  // namespace koddar
