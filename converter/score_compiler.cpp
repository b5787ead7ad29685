// The score compiler: one pass over the tokens of the score text, building the note
// stream and echoing what it understood.
#include "score_compiler.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "converter.h"
#include "messages.h"
#include "note_table.h"
#include "numbers.h"

namespace {

// Exactly these ten: a vertical tab, for one, stays part of its token. The hyphen is
// one of them, so no number of a score can be negative.
constexpr char delimiters[] = " ,;:!-\t\n\r\f";
static_assert(sizeof delimiters == 11, "ten delimiters and the terminator");

// What each byte value is to the tokeniser, looked up instead of searched for.
enum ByteClass : std::uint8_t { kTokenByte, kDelimiter, kEndOfText };

struct ByteClasses {
    ByteClass of[256];
};

constexpr ByteClasses make_byte_classes()
{
    ByteClasses t{};
    for (const char* d = delimiters; *d != '\0'; ++d)
        t.of[static_cast<unsigned char>(*d)] = kDelimiter;
    t.of[0] = kEndOfText;
    return t;
}

constexpr ByteClasses kByteClasses = make_byte_classes();

ByteClass class_of(const char* p)
{
    return kByteClasses.of[static_cast<unsigned char>(*p)];
}

constexpr int kMaxRepeat = 127;
constexpr unsigned char kSectionMark = 0x80;
constexpr unsigned char kTerminator = 0x00;

// State of the compilation under way; MUSConv resets it.
int pt;
int rept_flag;
int tempo;
char* scan;              // where the tokeniser goes on, like strtok's hidden position
std::size_t token_size;  // length of the token next_token returned last

// The echo is gathered here and handed to standard output in large pieces; it goes out
// before any message, so that both keep their order when they share a file.
char echo[1 << 14];
std::size_t echo_used;
constexpr std::size_t kLongestEcho = 64;  // a tab, a name, a comma and a duration's "%f"

void flush_echo()
{
    std::fwrite(echo, 1, echo_used, stdout);
    echo_used = 0;
}

// Room for one more echo line.
char* echo_line()
{
    if (sizeof echo - echo_used < kLongestEcho)
        flush_echo();
    return echo + echo_used;
}

void echo_text(const char* text, std::size_t n)
{
    if (sizeof echo - echo_used < n)
        flush_echo();
    if (n > sizeof echo) {
        std::fwrite(text, 1, n, stdout);
        return;
    }
    std::memcpy(echo + echo_used, text, n);
    echo_used += n;
}

int fail(int code)
{
    flush_echo();
    erreur(code);
    return 1;
}

}  // namespace

// strtok with the delimiters above: skips a run of delimiters, ends the token at the next
// one by overwriting it with a zero byte, and goes on behind it.
char* first_token(char* text)
{
    scan = text;
    return next_token();
}

char* next_token()
{
    char* p = scan;
    while (class_of(p) == kDelimiter)
        ++p;
    if (class_of(p) == kEndOfText) {
        scan = p;
        return nullptr;
    }
    char* token = p;
    while (class_of(p) == kTokenByte)
        ++p;
    token_size = static_cast<std::size_t>(p - token);
    if (class_of(p) == kDelimiter)
        *p++ = '\0';
    scan = p;
    return token;
}

namespace {

// A duration as read and as echoed ("%f"), remembered by the text of its token: a score
// writes the same few durations over and over, and equal texts read as equal floats.
// Tokens of up to 8 bytes are remembered, one per slot, the newest winning a slot.
struct DurationText {
    std::uint64_t key = 0;  // the token's bytes, first byte lowest; 0: slot unused
    float duration = 0.0f;
    std::uint8_t size = 0;
    char text[48] = {};  // "%f" of a float: at most 39 digits, a point and 6 decimals
};
DurationText durations[64];

std::uint64_t duration_key(const char* token, std::size_t n)
{
    std::uint64_t key = 0;
    std::memcpy(&key, token, n);  // the bytes in memory order, as a little- or big-endian number
    return key;
}

const DurationText& read_echoed_duration(const char* token, std::size_t n)
{
    static DurationText uncached;
    const std::uint64_t key = n <= 8 ? duration_key(token, n) : 0;
    DurationText& d = key != 0 ? durations[(key * 0x9E3779B97F4A7C15u) >> 58] : uncached;
    if (key == 0 || d.key != key) {
        d.key = key;
        d.duration = read_duration(token);
        const int size = std::snprintf(d.text, sizeof d.text, "%f", static_cast<double>(d.duration));
        d.size = static_cast<std::uint8_t>(size > 0 && static_cast<std::size_t>(size) < sizeof d.text ? size : 0);
    }
    return d;
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
    char* line = echo_line();
    echo_used += static_cast<std::size_t>(std::snprintf(line, kLongestEcho, "REPEAT x%d\n", nb_rept));
    return 0;
}

int compile_end()
{
    if (!rept_flag)
        return fail(kBadStructure);
    if (emit(&kSectionMark, 1))
        return 1;
    rept_flag = 0;
    echo_text("END\n", 4);
    return 0;
}

int compile_note(const char* name)
{
    const std::size_t name_size = token_size;
    int num_note = search_note(name);
    if (num_note < 0) {
        echo_text(name, name_size);
        echo_text("\n", 1);
        return fail(kBadNote);
    }
    char* token = next_token();
    if (!token)
        return fail(kBadDuration);
    const DurationText& read = read_echoed_duration(token, token_size);
    float duration = read.duration;
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
    // "%s,%f\n" of the table's name (the token's own text) and the duration, after a tab
    // inside a section.
    char* line = echo_line();
    char* at = line;
    if (rept_flag)
        *at++ = '\t';
    std::memcpy(at, notes_name[num_note], name_size);
    at += name_size;
    *at++ = ',';
    std::memcpy(at, read.text, read.size);
    at += read.size;
    *at++ = '\n';
    echo_used += static_cast<std::size_t>(at - line);
    return 0;
}

int compile_element(const char* token)
{
    if (token_size == 6 && std::memcmp(token, "REPEAT", 6) == 0)
        return compile_repeat();
    if (token_size == 3 && std::memcmp(token, "END", 3) == 0)
        return compile_end();
    return compile_note(token);
}

}  // namespace

int MUSConv()
{
    pt = 0;
    rept_flag = 0;
    LengthOUT = 0;
    echo_used = 0;
    for (DurationText& d : durations)
        d = DurationText{};
    char* token = first_token(reinterpret_cast<char*>(bufIN));
    if (!token)
        return 0;
    tempo = read_count(token);
    if (tempo == 0)
        return 0;
    while ((token = next_token()) != nullptr)
        if (compile_element(token))
            return 1;
    flush_echo();
    // The text ended inside a section: reported as a note error, with no token.
    if (rept_flag)
        return fail(kBadNote);
    if (emit(&kTerminator, 1))
        return 1;
    LengthOUT = pt;
    return 0;
}
