// Source lines are the listing's mnemonic and operand columns, changed only where kodasm would
// read the listing's text as other bytes:
// - registers 0 and 1 in a register-file operand print as A and B, which also name the forms
//   with A and B built in (MOV B,A is 62, and 12 01 too): they are written R0 and R1;
// - a branch target is written in 16 bits, where the program counter wraps;
// - undefined opcodes, LVDP (whose register byte the listing does not show) and an instruction
//   cut off by the end of the image are written as BYTE, with the listing's text as a comment.
#include "source_writer.h"

#include <cstdlib>
#include <cstring>

#include "decoder.h"
#include "opcode_map.h"
#include "text.h"

namespace koddar {

namespace {

constexpr std::size_t kSourceLine = 128;
constexpr std::size_t kMnemonicColumn = 8;
constexpr std::size_t kOperandColumn = 15;
constexpr std::size_t kCommentColumn = 40;

void start_line(char* text, const char* mnemonic)
{
    text[0] = '\0';
    pad_to(text, kSourceLine, kMnemonicColumn);
    append(text, kSourceLine, mnemonic);
    pad_to(text, kSourceLine, kOperandColumn);
}

// "BYTE $nn,..." for count image bytes from offset at, then the listing's text as a comment.
void byte_line(char* text, std::int32_t at, std::int32_t count, const char* comment)
{
    start_line(text, "BYTE");
    for (std::int32_t i = 0; i < count; ++i) {
        append(text, kSourceLine, i == 0 ? "$" : ",$");
        append(text, kSourceLine, hex_upper[static_cast<unsigned char>(Mgetc(at + i))]);
    }
    pad_to(text, kSourceLine, kCommentColumn);
    append(text, kSourceLine, "; ");
    append(text, kSourceLine, comment);
}

// The operand column of the decoded instruction, one piece per operand that it shows.
void operand_text(char* text, const Opcode& entry)
{
    int kinds[3];
    int shown = 0;
    for (const int kind : {entry.p1, entry.p2, entry.p3}) {
        const bool video_port = kind == K_PORT && mnemo == name[WVDP];  // not printed
        if (kind != K_NONE && !video_port)
            kinds[shown++] = kind;
    }
    const char* piece = param;
    for (int i = 0; i < shown && *piece != '\0'; ++i) {
        const char* end = std::strchr(piece, ',');
        const std::size_t length = end ? static_cast<std::size_t>(end - piece) : std::strlen(piece);
        char one[32];
        std::memcpy(one, piece, length);
        one[length] = '\0';
        if (i > 0)
            append(text, kSourceLine, ",");
        if (kinds[i] == K_REG && (std::strcmp(one, "A") == 0 || std::strcmp(one, "B") == 0)) {
            append(text, kSourceLine, one[0] == 'A' ? "R0" : "R1");
        } else if (kinds[i] == K_REL && one[0] == '$') {
            append(text, kSourceLine, "$");
            append_hex4(text, kSourceLine, static_cast<std::uint32_t>(std::strtoul(one + 1, nullptr, 16)) & 0xFFFFu);
        } else {
            append(text, kSourceLine, one);
        }
        piece = end ? end + 1 : piece + length;
    }
}

}  // namespace

int write_source(std::FILE* out, std::int32_t nb)
{
    const long long first = reloc;
    const long long last = first + loaded_length - 1;
    if (first < 0 || last > 0xFFFF) {
        std::fputs("Source output needs the image within addresses 0000 to FFFF.\n", stderr);
        return 1;
    }
    char text[kSourceLine];
    char line[kLineSize];
    start_line(text, "ORG");
    append(text, kSourceLine, "$");
    append_hex4(text, kSourceLine, static_cast<std::uint32_t>(reloc + a));
    std::fprintf(out, "%s\n", text);
    while (a < nb) {
        const std::int32_t at = a;
        const std::int32_t next = Dasmtms7020(line, at);
        const Opcode& entry = opcode_map[static_cast<unsigned char>(Mgetc(at))];
        if (next > loaded_length) {
            byte_line(text, at, loaded_length - at, "cut off by the end of the image");
        } else if (entry.op == UNDEF || entry.op == LVDP) {
            char comment[kLineSize] = "";
            append(comment, sizeof comment, mnemo);
            if (param[0] != '\0') {
                append(comment, sizeof comment, " ");
                append(comment, sizeof comment, param);
            }
            byte_line(text, at, next - at, comment);
        } else {
            start_line(text, mnemo);
            operand_text(text, entry);
        }
        // Lines without operands end at the mnemonic.
        std::size_t length = std::strlen(text);
        while (length > 0 && text[length - 1] == ' ')
            text[--length] = '\0';
        std::fprintf(out, "%s\n", text);
        a = next;
    }
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fputs("Cannot write source.\n", stderr);
        return 1;
    }
    return 0;
}

}  // namespace koddar
