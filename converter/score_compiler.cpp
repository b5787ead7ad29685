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

// "REPEAT x%d\n" of every count a section may have.
struct RepeatTexts {
    char text[kMaxRepeat + 1][16];
    std::uint8_t size[kMaxRepeat + 1];
};

constexpr RepeatTexts make_repeat_texts()
{
    RepeatTexts t{};
    for (int n = 1; n <= kMaxRepeat; ++n) {
        char* at = t.text[n];
        for (const char* p = "REPEAT x"; *p != '\0'; ++p)
            *at++ = *p;
        if (n >= 100)
            *at++ = static_cast<char>('0' + n / 100);
        if (n >= 10)
            *at++ = static_cast<char>('0' + n / 10 % 10);
        *at++ = static_cast<char>('0' + n % 10);
        *at++ = '\n';
        t.size[n] = static_cast<std::uint8_t>(at - t.text[n]);
    }
    return t;
}

constexpr RepeatTexts kRepeatTexts = make_repeat_texts();

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
    write_stdout(echo, echo_used);
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
        write_stdout(text, n);
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

// Note events with their echo lines, remembered by the texts of the name and duration tokens:
// within one compilation the same pair always gives the same event and the same line, and a
// score writes the same few pairs over and over. Open addressing, filled up to three quarters;
// an entry of an earlier compilation (another tempo, another output type) counts as free.
constexpr std::size_t kNoteSlots = 256;  // a power of two
constexpr std::size_t kNoteFill = kNoteSlots / 4 * 3;

struct NoteText {
    std::uint64_t name_key = 0;
    std::uint64_t duration_key = 0;
    unsigned run = 0;  // the compilation that made it; 0: none
    unsigned char event[3] = {};
    std::uint8_t echo_size = 0;
    char echo[56] = {};  // name, comma, "%f" of the duration (at most 47), newline
};
static_assert(sizeof NoteText::echo + 1 <= kLongestEcho, "a tab and a remembered echo fit an echo line");

NoteText notes[kNoteSlots];
std::size_t notes_used;
unsigned run;  // the compilation under way, counted from 1

// The bytes of a token of at most 8 bytes as a number, in memory order; 0 when longer. Read
// as one word and masked to the token where the word lies inside bufIN (the bytes behind a
// token are its terminator and more text), byte by byte at the very end of it.
std::uint64_t token_key(const char* token, std::size_t n)
{
    static constexpr unsigned char kMaskBytes[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    if (n > 8)
        return 0;
    std::uint64_t key = 0;
    const char* end = reinterpret_cast<const char*>(bufIN) + kBufInSize;
    if (end - token >= 8) {
        std::uint64_t mask = 0;
        std::memcpy(&key, token, 8);
        std::memcpy(&mask, kMaskBytes + 8 - n, 8);
        return key & mask;
    }
    std::memcpy(&key, token, n);
    return key;
}

// The entry of the pair: one of this compilation holding it, or a free one to fill (it counts
// as used once filled), or nullptr when the pair cannot be remembered (a token too long, no
// duration, the table full).
NoteText* remembered_note(const char* name, std::size_t name_size, const char* token, std::size_t token_bytes)
{
    // No note name has more than 4 bytes: a longer token fails the lookup of the table.
    const std::uint64_t name_key = name_size <= 4 ? token_key(name, name_size) : 0;
    const std::uint64_t duration_key = token ? token_key(token, token_bytes) : 0;
    if (name_key == 0 || duration_key == 0)
        return nullptr;
    std::size_t slot = ((duration_key ^ (name_key * 0xC2B2AE3D27D4EB4Fu)) * 0x9E3779B97F4A7C15u) >> 56;
    // The fill limit leaves free slots; the bound on the probes keeps the walk finite anyway.
    for (std::size_t probe = 0; probe < kNoteSlots; ++probe, slot = (slot + 1) % kNoteSlots) {
        NoteText& n = notes[slot];
        if (n.run != run) {
            if (notes_used == kNoteFill)
                return nullptr;
            n.name_key = name_key;
            n.duration_key = duration_key;
            return &n;
        }
        if (n.name_key == name_key && n.duration_key == duration_key)
            return &n;
    }
    return nullptr;
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
    int nb_rept = read_count(token, token_size);
    if (nb_rept < 1 || nb_rept > kMaxRepeat)
        return fail(kBadStructure);
    const unsigned char start = static_cast<unsigned char>(kSectionMark | nb_rept);
    if (emit(&start, 1))
        return 1;
    rept_flag = 1;
    echo_text(kRepeatTexts.text[nb_rept], kRepeatTexts.size[nb_rept]);
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

// The event and the echo line (without the tab of a section) of a note, from its name and
// duration tokens by the note table, the duration reader and the divisor: 0, or the code of the
// error to report.
int make_note(const char* name, std::size_t name_size, const char* token, NoteText& note)
{
    int num_note = search_note(name);
    if (num_note < 0) {
        echo_text(name, name_size);
        echo_text("\n", 1);
        return kBadNote;
    }
    if (!token)
        return kBadDuration;
    const DurationText& read = read_echoed_duration(token, token_size);
    float duration = read.duration;
    // A NaN passes here and is refused by the range check of the divisor.
    if (duration == 0.0f)
        return kBadDuration;
    int diviseur = compute_diviseur(TypeDest, notes_freq[num_note][1], duration, tempo);
    if (diviseur == 0)
        return kTooLong;
    note.event[0] = static_cast<unsigned char>(static_cast<int>(notes_freq[num_note][0]) & 0xFF);
    note.event[1] = static_cast<unsigned char>(diviseur & 0xFF);
    note.event[2] = static_cast<unsigned char>(diviseur >> 8);
    // "%s,%f\n" of the table's name (the token's own text) and the duration.
    char* at = note.echo;
    std::memcpy(at, notes_name[num_note], name_size);
    at += name_size;
    *at++ = ',';
    std::memcpy(at, read.text, read.size);
    at += read.size;
    *at++ = '\n';
    note.echo_size = static_cast<std::uint8_t>(at - note.echo);
    return 0;
}

int compile_note(const char* name)
{
    const std::size_t name_size = token_size;
    // Taken before the name is looked up: a name that is no note fails all the same.
    const char* token = next_token();
    static NoteText unremembered;
    NoteText* remembered = remembered_note(name, name_size, token, token ? token_size : 0);
    NoteText& note = remembered ? *remembered : unremembered;
    if (!remembered || note.run != run) {
        if (int code = make_note(name, name_size, token, note))
            return fail(code);
        if (remembered) {
            note.run = run;
            ++notes_used;
        }
    }
    if (emit(note.event, 3))
        return 1;
    // After a tab inside a section. The whole of the text is copied, a size known at compile
    // time: the echo line has room for it.
    char* line = echo_line();
    const std::size_t tab = rept_flag ? 1 : 0;
    line[0] = '\t';
    std::memcpy(line + tab, note.echo, sizeof note.echo);
    echo_used += tab + note.echo_size;
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
    if (++run == 0) {  // counted round: what is remembered can no longer be told apart
        for (NoteText& n : notes)
            n = NoteText{};
        run = 1;
    }
    notes_used = 0;
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
