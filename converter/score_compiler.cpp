// The score compiler: one pass over the tokens of the score text, building the note
// stream and echoing what it understood.
#include "score_compiler.h"

#include <cstdio>
#include <cstring>

#include "converter.h"
#include "messages.h"
#include "note_table.h"
#include "numbers.h"

namespace {

// Exactly these ten: a vertical tab, for one, stays part of its token. The hyphen is
// one of them, so no number of a score can be negative.
const char delimiters[] = " ,;:!-\t\n\r\f";
static_assert(sizeof delimiters == 11, "ten delimiters and the terminator");

constexpr int kMaxRepeat = 127;
constexpr unsigned char kSectionMark = 0x80;
constexpr unsigned char kTerminator = 0x00;

// State of the compilation under way; MUSConv resets it.
int pt;
int rept_flag;
int tempo;

int fail(int code)
{
    erreur(code);
    return 1;
}

char* next_token()
{
    return std::strtok(nullptr, delimiters);
}

// Appends n bytes, or reports kStreamTooLong when they would pass the end of bufOUT.
int emit(const unsigned char* bytes, int n)
{
    if (pt + n > kBufOutSize)
        return fail(kStreamTooLong);
    std::memcpy(bufOUT + pt, bytes, static_cast<std::size_t>(n));
    pt += n;
    return 0;
}

int compile_repeat()
{
    if (rept_flag)
        return fail(kBadStructure);
    char* token = next_token();
    if (!token)
        return fail(kBadStructure);
    int nb_rept = read_count(token);
    if (nb_rept < 1 || nb_rept > kMaxRepeat)
        return fail(kBadStructure);
    const unsigned char start = static_cast<unsigned char>(kSectionMark | nb_rept);
    if (emit(&start, 1))
        return 1;
    rept_flag = 1;
    std::printf("REPEAT x%d\n", nb_rept);
    return 0;
}

int compile_end()
{
    if (!rept_flag)
        return fail(kBadStructure);
    if (emit(&kSectionMark, 1))
        return 1;
    rept_flag = 0;
    std::printf("END\n");
    return 0;
}

int compile_note(const char* name)
{
    int num_note = search_note(name);
    if (num_note < 0) {
        std::printf("%s\n", name);
        return fail(kBadNote);
    }
    char* token = next_token();
    if (!token)
        return fail(kBadDuration);
    float duration = read_duration(token);
    // A NaN passes here and is refused by the range check of the divisor.
    if (duration == 0.0f)
        return fail(kBadDuration);
    int diviseur = compute_diviseur(TypeDest, notes_freq[num_note][1], duration, tempo);
    if (diviseur == 0)
        return fail(kTooLong);
    const unsigned char event[3] = {
        static_cast<unsigned char>(static_cast<int>(notes_freq[num_note][0]) & 0xFF),
        static_cast<unsigned char>(diviseur & 0xFF),
        static_cast<unsigned char>(diviseur >> 8),
    };
    if (emit(event, 3))
        return 1;
    if (rept_flag)
        std::printf("\t");
    std::printf("%s,%f\n", notes_name[num_note], static_cast<double>(duration));
    return 0;
}

int compile_element(const char* token)
{
    if (std::strcmp(token, "REPEAT") == 0)
        return compile_repeat();
    if (std::strcmp(token, "END") == 0)
        return compile_end();
    return compile_note(token);
}

}  // namespace

int MUSConv()
{
    pt = 0;
    rept_flag = 0;
    LengthOUT = 0;
    char* token = std::strtok(reinterpret_cast<char*>(bufIN), delimiters);
    if (!token)
        return 0;
    tempo = read_count(token);
    if (tempo == 0)
        return 0;
    while ((token = next_token()) != nullptr)
        if (compile_element(token))
            return 1;
    // The text ended inside a section: reported as a note error, with no token.
    if (rept_flag)
        return fail(kBadNote);
    if (emit(&kTerminator, 1))
        return 1;
    LengthOUT = pt;
    return 0;
}
