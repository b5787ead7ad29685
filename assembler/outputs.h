// The files an assembly is written as: the raw image, Intel HEX, Motorola S-records, and a map
// that koddar reads back.
#pragma once

#include <string>

#include "assembler.h"

namespace kodasm {

enum class Format { Raw, IntelHex, SRecords };

// The image in the format: every byte from the first address assembled to the last, gaps as $FF,
// so that each format loads back to the raw image's bytes. Records hold 16 bytes.
std::string image_text(const Assembly& assembly, Format format);

// The map of the assembly for koddar: "code ADDR" for END's entry, "label ADDR NAME" for each
// label inside the image (the first name of an address), "reg N NAME" and "port N NAME" for the
// names EQU'd to registers and ports.
std::string map_text(const Assembly& assembly);

}  // namespace kodasm
