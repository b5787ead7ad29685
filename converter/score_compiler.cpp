// The score compiler: one pass over the tokens of the score text, building the note
// stream and echoing what it understood.
#include "score_compiler.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

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

// Appended to standard output in large pieces; it goes out before any message, so that both
// keep their order when they share a file.
class Echo {
public:
    static constexpr std::size_t kLongestLine = 64;  // a tab, a name, a comma and a duration's "%f"

    void flush()
    {
        write_stdout(text_, used_);
        used_ = 0;
    }
    // Room for one more line of at most kLongestLine bytes; `used` of them are kept.
    char* line()
    {
        if (sizeof text_ - used_ < kLongestLine)
            flush();
        return text_ + used_;
    }
    void keep(std::size_t used) { used_ += used; }
    void put(const char* text, std::size_t n)
    {
        if (sizeof text_ - used_ < n)
            flush();
        if (n > sizeof text_) {
            write_stdout(text, n);
            return;
        }
        std::memcpy(text_ + used_, text, n);
        used_ += n;
    }

private:
    char text_[1 << 14];
    std::size_t used_ = 0;
};

// A duration as read and as echoed ("%f"), remembered by the text of its token: a score
// writes the same few durations over and over, and equal texts read as equal floats.
// Tokens of up to 8 bytes are remembered, one per slot, the newest winning a slot.
struct DurationText {
    std::uint64_t key = 0;  // the token's bytes, first byte lowest; 0: slot unused
    float duration = 0.0f;
    std::uint8_t size = 0;
    char text[48] = {};  // "%f" of a float: at most 39 digits, a point and 6 decimals
};

// Note events with their echo lines, remembered by the texts of the name and duration tokens:
// within one compilation the same pair always gives the same event and the same line, and a
// score writes the same few pairs over and over. Open addressing, filled up to three quarters.
constexpr std::size_t kNoteSlots = 256;  // a power of two
constexpr std::size_t kNoteFill = kNoteSlots / 4 * 3;

struct NoteText {
    std::uint64_t name_key = 0;
    std::uint64_t duration_key = 0;
    bool made = false;  // event and echo hold the pair's
    unsigned char event[3] = {};
    std::uint8_t echo_size = 0;
    char echo[56] = {};  // name, comma, "%f" of the duration (at most 47), newline
};
static_assert(sizeof NoteText::echo + 1 <= Echo::kLongestLine, "a tab and a remembered echo fit an echo line");

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

// One compilation of bufIN into bufOUT: the compiler's own state (pt, rept_flag, tempo), the
// tokeniser, the echo gathered, and the durations and notes it remembers.
class Compilation {
public:
    // The echo's buffer is left unset on purpose: each byte is written before it is read.
    // cppcheck-suppress uninitMemberVar
    Compilation() : tokens_(reinterpret_cast<char*>(bufIN)) {}
    int run();

private:
    int fail(int code)
    {
        echo_.flush();
        erreur(code);
        return 1;
    }
    int emit(const unsigned char* bytes, int n);
    int compile_element(const char* token);
    int compile_repeat();
    int compile_end();
    int compile_note(const char* name);
    int make_note(const char* name, std::size_t name_size, const char* token, NoteText& note);
    const DurationText& read_echoed_duration(const char* token, std::size_t n);
    NoteText* remembered_note(const char* name, std::size_t name_size, const char* token, std::size_t token_bytes);

    int pt = 0;
    int rept_flag = 0;
    int tempo = 0;
    Tokeniser tokens_;
    Echo echo_;
    DurationText durations_[64];
    DurationText uncached_;  // a duration token too long to remember
    NoteText notes_[kNoteSlots];
    std::size_t notes_used_ = 0;
    NoteText unremembered_;  // a pair that cannot be remembered
};

}  // namespace

// strtok with the delimiters above: skips a run of delimiters, ends the token at the next
// one by overwriting it with a zero byte, and goes on behind it.
char* Tokeniser::next()
{
    char* p = scan_;
    while (class_of(p) == kDelimiter)
        ++p;
    if (class_of(p) == kEndOfText) {
        scan_ = p;
        return nullptr;
    }
    char* token = p;
    while (class_of(p) == kTokenByte)
        ++p;
    size_ = static_cast<std::size_t>(p - token);
    if (class_of(p) == kDelimiter)
        *p++ = '\0';
    scan_ = p;
    return token;
}

namespace {

const DurationText& Compilation::read_echoed_duration(const char* token, std::size_t n)
{
    const std::uint64_t key = n <= 8 ? token_key(token, n) : 0;
    DurationText& d = key != 0 ? durations_[(key * 0x9E3779B97F4A7C15u) >> 58] : uncached_;
    if (key == 0 || d.key != key) {
        d.key = key;
        d.duration = read_duration(token);
        const int size = std::snprintf(d.text, sizeof d.text, "%f", static_cast<double>(d.duration));
        d.size = static_cast<std::uint8_t>(size > 0 && static_cast<std::size_t>(size) < sizeof d.text ? size : 0);
    }
    return d;
}

// The entry of the pair: one holding it, or a free one to fill (it counts as used once filled),
// or nullptr when the pair cannot be remembered (a token too long, no duration, the table full).
NoteText* Compilation::remembered_note(const char* name, std::size_t name_size, const char* token,
                                       std::size_t token_bytes)
{
    // No note name has more than 4 bytes: a longer token fails the lookup of the table.
    const std::uint64_t name_key = name_size <= 4 ? token_key(name, name_size) : 0;
    const std::uint64_t duration_key = token ? token_key(token, token_bytes) : 0;
    if (name_key == 0 || duration_key == 0)
        return nullptr;
    std::size_t slot = ((duration_key ^ (name_key * 0xC2B2AE3D27D4EB4Fu)) * 0x9E3779B97F4A7C15u) >> 56;
    // The fill limit leaves free slots; the bound on the probes keeps the walk finite anyway.
    for (std::size_t probe = 0; probe < kNoteSlots; ++probe, slot = (slot + 1) % kNoteSlots) {
        NoteText& n = notes_[slot];
        if (!n.made) {
            if (notes_used_ == kNoteFill)
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
int Compilation::emit(const unsigned char* bytes, int n)
{
    if (pt + n > kBufOutSize)
        return fail(kStreamTooLong);
    std::memcpy(bufOUT + pt, bytes, static_cast<std::size_t>(n));
    pt += n;
    return 0;
}

int Compilation::compile_repeat()
{
    if (rept_flag)
        return fail(kBadStructure);
    char* token = tokens_.next();
    if (!token)
        return fail(kBadStructure);
    int nb_rept = read_count(token, tokens_.size());
    if (nb_rept < 1 || nb_rept > kMaxRepeat)
        return fail(kBadStructure);
    const unsigned char start = static_cast<unsigned char>(kSectionMark | nb_rept);
    if (emit(&start, 1))
        return 1;
    rept_flag = 1;
    echo_.put(kRepeatTexts.text[nb_rept], kRepeatTexts.size[nb_rept]);
    return 0;
}

int Compilation::compile_end()
{
    if (!rept_flag)
        return fail(kBadStructure);
    if (emit(&kSectionMark, 1))
        return 1;
    rept_flag = 0;
    echo_.put("END\n", 4);
    return 0;
}

// The event and the echo line (without the tab of a section) of a note, from its name and
// duration tokens by the note table, the duration reader and the divisor: 0, or the code of the
// error to report.
int Compilation::make_note(const char* name, std::size_t name_size, const char* token, NoteText& note)
{
    int num_note = search_note(name);
    if (num_note < 0) {
        echo_.put(name, name_size);
        echo_.put("\n", 1);
        return kBadNote;
    }
    if (!token)
        return kBadDuration;
    const DurationText& read = read_echoed_duration(token, tokens_.size());
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

int Compilation::compile_note(const char* name)
{
    const std::size_t name_size = tokens_.size();
    // Taken before the name is looked up: a name that is no note fails all the same.
    const char* token = tokens_.next();
    NoteText* remembered = remembered_note(name, name_size, token, token ? tokens_.size() : 0);
    NoteText& note = remembered ? *remembered : unremembered_;
    if (!remembered || !note.made) {
        if (int code = make_note(name, name_size, token, note))
            return fail(code);
        if (remembered) {
            note.made = true;
            ++notes_used_;
        }
    }
    if (emit(note.event, 3))
        return 1;
    // After a tab inside a section. The whole of the text is copied, a size known at compile
    // time: the echo line has room for it.
    char* line = echo_.line();
    const std::size_t tab = rept_flag ? 1 : 0;
    line[0] = '\t';
    std::memcpy(line + tab, note.echo, sizeof note.echo);
    echo_.keep(tab + note.echo_size);
    return 0;
}

int Compilation::compile_element(const char* token)
{
    const std::size_t size = tokens_.size();
    if (size == 6 && std::memcmp(token, "REPEAT", 6) == 0)
        return compile_repeat();
    if (size == 3 && std::memcmp(token, "END", 3) == 0)
        return compile_end();
    return compile_note(token);
}

int Compilation::run()
{
    char* token = tokens_.next();
    if (!token)
        return 0;
    tempo = read_count(token);
    if (tempo == 0)
        return 0;
    while ((token = tokens_.next()) != nullptr)
        if (compile_element(token))
            return 1;
    echo_.flush();
    // The text ended inside a section: reported as a note error, with no token.
    if (rept_flag)
        return fail(kBadNote);
    if (emit(&kTerminator, 1))
        return 1;
    LengthOUT = pt;
    return 0;
}

}  // namespace

int MUSConv()
{
    LengthOUT = 0;
    // About 40 KB: on the heap rather than in the caller's stack frame.
    return std::make_unique<Compilation>()->run();
}
