// The instruction decoder over arbitrary images, relocations and address windows. Input:
// 4 bytes relocation (little-endian), 1 control byte, 2 bytes start and 2 bytes end offset,
// then the image. Every line must keep the column rules, every instruction take 1 to 4 bytes,
// and no byte outside the image may be read: the image is an allocation of exactly its
// length, so AddressSanitizer catches any access past it. The listings' in-place line of every
// instruction must be Dasmtms7020's line.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "address.h"
#include "arguments.h"
#include "capture.h"
#include "decoder.h"
#include "window.h"
#include "opcode_map.h"

namespace {

using koddar::add32;

// Operand bytes each kind reads, written out here rather than taken from the decoder.
int operand_bytes(int kind)
{
    switch (kind) {
    case koddar::K_REG:
    case koddar::K_PORT:
    case koddar::K_IMM8:
    case koddar::K_INDIRECT:
    case koddar::K_REL: return 1;
    case koddar::K_IMM16:
    case koddar::K_ADDR:
    case koddar::K_DIRECT:
    case koddar::K_INDEXED: return 2;
    default: return 0;  // K_NONE, K_A, K_B, K_ST and the TRAP numbers
    }
}

std::uint32_t read_le(const std::uint8_t* p, int n)
{
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

bool operand_char(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("%$@*(),-", c) != nullptr;
}

// One decoded instruction at `offset` of the image `img` (n bytes).
void check_line(const std::uint8_t* img, std::int32_t n, std::int32_t offset)
{
    char line[koddar::kLineSize];
    std::memset(line, 'X', sizeof line);
    const std::int32_t next = koddar::Dasmtms7020(line, offset);
    const std::string text(line, strnlen(line, sizeof line));
    fuzz::check(text.size() < sizeof line, "the line is terminated inside its store");
    fuzz::check(text.size() <= 49, "no line is longer than 49 characters", text);
    fuzz::check(next == koddar::a, "a holds the returned offset");

    const std::int32_t length = next - offset;
    fuzz::check(length >= 1 && length <= 4, "an instruction takes 1 to 4 bytes", text);
    auto byte_at = [&](std::int32_t at) -> unsigned {
        return at >= 0 && at < n ? img[at] : 0;  // past the loaded data everything reads 0x00
    };
    const unsigned opcode = byte_at(offset);
    const koddar::Opcode& entry = koddar::opcode_map[opcode];
    const int expected = 1 + operand_bytes(entry.p1) + operand_bytes(entry.p2) + operand_bytes(entry.p3);
    fuzz::check(length == expected, "the length follows the opcode map", text);

    // Hex column: the relocated address, a blank, then the instruction's bytes in image order.
    char want[40];
    int used = std::snprintf(want, sizeof want, "%04X ", static_cast<std::uint32_t>(add32(koddar::reloc, offset)));
    for (std::int32_t i = 0; i < length; ++i)
        used += std::snprintf(want + used, sizeof want - static_cast<std::size_t>(used), "%02x", byte_at(offset + i));
    fuzz::check(koddar::hexa == std::string(want), "the hex column shows the bytes read", text);
    fuzz::check(text.compare(0, std::strlen(want), want) == 0, "the line starts with the hex column", text);

    // Mnemonic from column 15 (or right behind a wider hex column), operands from column 22.
    std::size_t col = std::strlen(want);
    while (col < 15) {
        fuzz::check(text[col] == ' ', "blanks up to column 15", text);
        ++col;
    }
    const std::string mnemo = koddar::mnemo;
    const bool video = entry.op == koddar::MOVP && mnemo == "WVDP";
    fuzz::check(mnemo == koddar::name[entry.op] || video, "the mnemonic of the map entry", text);
    if (video) {
        fuzz::check(entry.p2 == koddar::K_PORT && byte_at(next - 1) == 46, "WVDP only for MOVP to port 46", text);
    }
    fuzz::check(text.compare(col, mnemo.size(), mnemo) == 0, "the mnemonic follows the hex column", text);
    col += mnemo.size();
    while (col < 22) {
        fuzz::check(col < text.size() && text[col] == ' ', "blanks up to column 22", text);
        ++col;
    }
    const std::string param = koddar::param;
    fuzz::check(param.size() <= 27, "the operand column holds at most 27 characters", text);
    fuzz::check(text.substr(col) == param, "the operand column ends the line", text);
    for (char c : param)
        fuzz::check(operand_char(c), "operand text is printable without blanks", text);
    if (entry.op == koddar::LVDP)
        fuzz::check(param.empty(), "LVDP shows no operand", text);

    // The listings' in-place line: the same text, and nothing written for a wider address.
    char in_place[koddar::kLineSize];
    std::memset(in_place, 'X', sizeof in_place);
    const std::size_t size = koddar::write_four_digit_line(in_place, sizeof in_place, offset);
    if (size == 0) {
        fuzz::check(static_cast<std::uint32_t>(add32(koddar::reloc, offset)) > 0xFFFF,
                    "only a wider address is left to Dasmtms7020", text);
        fuzz::check(std::string(in_place, sizeof in_place) == std::string(sizeof in_place, 'X'),
                    "nothing written for a wider address", text);
    } else {
        fuzz::check(std::string(in_place, size) == text && koddar::a == next, "the in-place line is the line", text);
    }
    koddar::a = next;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t kHeader = 9;
    if (size < kHeader || size - kHeader > static_cast<std::size_t>(koddar::kImageSize))
        return 0;
    const auto reloc = static_cast<std::int32_t>(read_le(data, 4));
    const std::uint8_t control = data[4];
    const auto start = static_cast<std::int32_t>(read_le(data + 5, 2));
    const auto end = static_cast<std::int32_t>(read_le(data + 7, 2));
    const auto n = static_cast<std::int32_t>(size - kHeader);
    if (n == 0)
        return 0;  // load refuses an empty file

    // The image alone in its allocation: one byte past it is a heap overflow.
    std::vector<std::uint8_t> image(data + kHeader, data + size);
    koddar::buffer = image.data();
    koddar::loaded_length = n;
    koddar::reloc = reloc;
    // Start and end as the command line would give them: relative to reloc, or raw values.
    koddar::debut = (control & 1) ? ((control & 4) ? static_cast<std::int32_t>(read_le(data, 4) ^ 0x80000000u)
                                                   : add32(reloc, start))
                                  : 0;
    koddar::fin = (control & 2) ? add32(reloc, end) : 0;
    // What ManageArguments refuses never reaches the window.
    if (koddar::debut != 0 && koddar::debut < reloc)
        return 0;
    if (koddar::fin != 0 && (koddar::fin < reloc || koddar::fin < koddar::debut))
        return 0;

    std::int32_t nb = n;
    bool ok;
    {
        fuzz::Capture cap;
        ok = koddar::fix_window(nb);
        if (ok)
            fuzz::check(cap.err().empty(), "an accepted window reports nothing");
        else
            fuzz::check(cap.err() == "Dump address out of range.\n", "a refused window says why", cap.err());
    }
    if (ok) {
        fuzz::check(koddar::a >= 0 && koddar::a < nb && nb <= n, "the window lies inside the loaded data");
        std::int32_t lines = 0;
        while (koddar::a < nb) {
            const std::int32_t at = koddar::a;
            check_line(image.data(), n, at);
            fuzz::check(koddar::a > at, "the dump advances");
            ++lines;
        }
        fuzz::check(lines >= 1, "an accepted window lists at least one line");
    }
    // The last instructions, whose operands may lie past the data, from every start.
    for (std::int32_t at = n > 3 ? n - 3 : 0; at < n; ++at)
        check_line(image.data(), n, at);
    fuzz::check(koddar::Mgetc(-1) == 0 && koddar::Mgetc(n) == 0 && koddar::Mgetc(INT32_MAX) == 0,
                "nothing outside the loaded data is read");
    koddar::buffer = nullptr;
    return 0;
}
