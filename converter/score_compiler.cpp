// The score compiler: one pass over the tokens of the score text, building the note
// stream and echoing what it understood.
#include "score_compiler.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "converter.h"
#include "errors.h"
#include "note_table.h"

namespace {

// Exactly these ten: a vertical tab, for one, stays part of its token. The hyphen is
// one of them, so no number of a score can be negative.
const char delimiters[] = " ,;:!-\t\n\r\f";
static_assert(sizeof delimiters == 11, "ten delimiters and the terminator");

constexpr int kMaxRepeat = 127;
constexpr int kMaxDivisor = 65535;
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

int read_count(const char* token)
{
    // long is wider than int here, so strtol alone would not saturate at INT_MAX.
    long value = std::strtol(token, nullptr, 10);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

float read_duration(const char* token)
{
    // Through double on purpose: strtof rounds once, straight to float, and differs.
    return static_cast<float>(std::strtod(token, nullptr));
}

// The double rounding below needs the 64-bit significand of the x87 extended format; with a
// long double that is only a double (or a wider quad) some divisors would come out different.
static_assert(std::numeric_limits<long double>::digits == 64, "long double must have a 64-bit significand");

double divisor_quotient(int type, float freq, float duration, int tempo)
{
    // The products are exact in double. The division is rounded first to the
    // 64-bit significand of long double, then to double: that double rounding is
    // how the machine's note lengths were defined, and it moves some quotients.
    double product = type == 3 ? static_cast<double>(duration) * 3960.0
                               : (static_cast<double>(freq) * 60.0) * static_cast<double>(duration);
    long double quotient = static_cast<long double>(product) / static_cast<long double>(tempo);
    return static_cast<double>(quotient);
}

int compute_diviseur(int type, float freq, float duration, int tempo)
{
    double ceiling = std::ceil(divisor_quotient(type, freq, duration, tempo));
    // Checked on the double: converting a NaN, an infinity or a huge value to int
    // would be undefined.
    if (!(ceiling >= 1.0 && ceiling <= kMaxDivisor))
        return 0;
    return static_cast<int>(ceiling);
}

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
