// The one sanctioned way to point the decoder somewhere else for a while: another image (the
// bytes kodasm assembled) or a set of operand names. Each restores what was there when it ends.
#pragma once

#include <cstdint>

#include "decoder.h"
#include "operand_names.h"

namespace koddar {

// The decoder reads `image` (`length` bytes at `relocation`) instead of the loaded image,
// with the opcode map of processors[cpu].
class ScopedImage {
public:
    ScopedImage(unsigned char* image, std::int32_t length, std::int32_t relocation, std::size_t cpu = processor)
        : buffer_(buffer), length_(loaded_length), reloc_(reloc), processor_(processor)
    {
        buffer = image;
        loaded_length = length;
        reloc = relocation;
        processor = cpu;
    }
    ~ScopedImage()
    {
        buffer = buffer_;
        loaded_length = length_;
        reloc = reloc_;
        processor = processor_;
    }
    ScopedImage(const ScopedImage&) = delete;
    ScopedImage& operator=(const ScopedImage&) = delete;

private:
    unsigned char* buffer_;
    std::int32_t length_;
    std::int32_t reloc_;
    std::size_t processor_;
};

// The operand formatter prints the names `names` gives in place of numbers.
class ScopedNames {
public:
    explicit ScopedNames(const OperandNames& names) : saved_(operand_names) { operand_names = &names; }
    ~ScopedNames() { operand_names = saved_; }
    ScopedNames(const ScopedNames&) = delete;
    ScopedNames& operator=(const ScopedNames&) = delete;

private:
    const OperandNames* saved_;
};

}  // namespace koddar
