// Reading the map file: one directive a line, every fault reported with its line number before
// anything is listed.
#include "map.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "address.h"
#include "register_file.h"
#include "text.h"

namespace koddar {

namespace {

struct Token {
    const char* text;
    std::size_t size;
};

bool same(const Token& t, const char* word)
{
    return t.size == std::strlen(word) && std::memcmp(t.text, word, t.size) == 0;
}

std::string str(const Token& t)
{
    return std::string(t.text, t.size);
}

constexpr std::size_t kShownToken = 40;  // characters of a word quoted in a message

// A word of the map as a message quotes it: at most kShownToken characters and "..." after a
// longer one, every byte that does not print shown as \xNN, so that junk stays readable.
std::string quoted(const Token& t)
{
    std::string out = "`";
    for (std::size_t i = 0; i < t.size && i < kShownToken; ++i) {
        const auto c = static_cast<unsigned char>(t.text[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out + (t.size > kShownToken ? "...'" : "'");
}

// The reader of one map: keeps the file name for messages and the image for the range checks.
class Reader {
public:
    Reader(const char* path, std::int32_t reloc, std::int32_t length, Map& map)
        : path_(path), reloc_(reloc), length_(length), map_(map)
    {
    }

    bool line(int number, const char* text, std::size_t size);

private:
    static constexpr int kMaxTokens = 5;

    bool fail(const std::string& message) const
    {
        std::fprintf(stderr, "%s:%d: %s\n", path_, number_, message.c_str());
        return false;
    }
    bool inside(std::int32_t address) const
    {
        const std::int32_t offset = sub32(address, reloc_);
        return offset >= 0 && offset < length_;
    }
    bool address(const Token& t, std::int32_t& value) const;
    bool number(const Token& t, unsigned& value) const;
    bool name(const Token& t) const;
    bool add_name(std::int32_t at, const Token& t);
    bool add_entry(std::int32_t at);
    bool add_range(std::int32_t start, std::int32_t end, DataKind kind);
    bool range(const Token* t, int n, DataKind kind);
    bool reg_or_port(const Token* t, int n, std::vector<std::string>& table, const char* what);
    MapRoutine* routine(const Token& t);

public:
    // The directives, each given the line's words t[0..n) (t[0] the directive's own).
    bool code(const Token* t, int n);
    bool label(const Token* t, int n);
    bool bytes(const Token* t, int n) { return range(t, n, DataKind::Bytes); }
    bool words(const Token* t, int n) { return range(t, n, DataKind::Words); }
    bool addrs(const Token* t, int n) { return range(t, n, DataKind::Addrs); }
    bool text(const Token* t, int n) { return range(t, n, DataKind::Text); }
    bool vectors(const Token* t, int n);
    bool reg(const Token* t, int n) { return reg_or_port(t, n, map_.reg, "Register"); }
    bool port(const Token* t, int n) { return reg_or_port(t, n, map_.port, "Port"); }
    bool params(const Token* t, int n);
    bool noreturn(const Token* t, int n);
    bool comment(const Token* t, int n);
    bool find(const Token* t, int n);

private:
    const char* path_;
    std::int32_t reloc_;
    std::int32_t length_;
    Map& map_;
    int number_ = 0;
    Token rest_{"", 0};  // the text of a comment directive: the line after its address
};

// Like the values of -r, -s and -e: base-16 strtol, the whole token read. Eight digits read as
// the listing prints them, a negative address as its 32-bit two's complement (FFFFFFF0 is
// -10); beyond 32 bits the value saturates.
bool Reader::address(const Token& t, std::int32_t& value) const
{
    const std::string s = str(t);
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 16);
    if (end != s.c_str() + s.size())
        return fail("Bad address " + quoted(t) + ".");
    if (v > INT32_MAX && v <= static_cast<long>(UINT32_MAX))
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    else
        value = v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(v);
    return true;
}

// Register and port numbers, in decimal as the listing prints them.
bool Reader::number(const Token& t, unsigned& value) const
{
    value = 0;
    bool ok = t.size >= 1 && t.size <= 3;
    for (std::size_t i = 0; ok && i < t.size; ++i) {
        ok = t.text[i] >= '0' && t.text[i] <= '9';
        value = value * 10 + static_cast<unsigned>(t.text[i] - '0');
    }
    if (!ok || value > 255)
        return fail("Bad number " + quoted(t) + ".");
    return true;
}

bool name_char(char c, bool first)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || (!first && c >= '0' && c <= '9');
}

bool Reader::name(const Token& t) const
{
    for (std::size_t i = 0; i < t.size; ++i)
        if (!name_char(t.text[i], i == 0))
            return fail("Bad name " + quoted(t) + ".");
    if (t.size > kMaxNameLength)
        return fail("Name " + quoted(t) + " is longer than 32 characters.");
    // A, B and ST are operands of their own; the register and port names kodasm reads (in any
    // case) would list, and assemble, as another register or port than the code uses.
    std::string upper = str(t);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (is_builtin_operand(upper))
        return fail("Name `" + str(t) + "' is reserved.");
    if (const int n = port_number(upper); n >= 0)
        return fail("Name `" + str(t) + "' is reserved for port " + std::to_string(n) + ".");
    if (const int n = register_number(upper); n >= 0)
        return fail("Name `" + str(t) + "' is reserved for register " + std::to_string(n) + ".");
    return true;
}

// L_XXXX and D_XXXX are the names koddar makes up; a map may use one only for its own address,
// as a map that koddar wrote does.
bool generated_form(const Token& t, std::int32_t& at)
{
    if (t.size < 6 || t.size > 10 || (t.text[0] != 'L' && t.text[0] != 'D') || t.text[1] != '_')
        return false;
    std::uint32_t v = 0;
    for (std::size_t i = 2; i < t.size; ++i) {
        const char c = t.text[i];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
        v = v << 4 | static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
    }
    at = static_cast<std::int32_t>(v);
    return true;
}

bool Reader::add_name(std::int32_t at, const Token& t)
{
    if (!name(t))
        return false;
    for (const MapName& n : map_.names) {
        if (same(t, n.name.c_str()))
            return fail("Name `" + str(t) + "' already used on line " + std::to_string(n.line) + ".");
        if (n.address == at)
            return fail("Address already named `" + n.name + "' on line " + std::to_string(n.line) + ".");
    }
    for (unsigned i = 0; i < 256; ++i)
        if (same(t, map_.reg[i].c_str()) || same(t, map_.port[i].c_str()))
            return fail("Name `" + str(t) + "' already used for a register or port.");
    std::int32_t own = 0;
    if (generated_form(t, own) && own != at) {
        return fail("Name `" + str(t) + "' is kept for address " + hex_address(own) + ".");
    }
    map_.names.push_back({at, str(t), number_});
    return true;
}

bool Reader::add_entry(std::int32_t at)
{
    if (!inside(at))
        return fail("Address outside the image.");
    for (const MapRange& r : map_.ranges)
        if (at >= r.start && at <= r.end)
            return fail("Entry point inside the data range on line " + std::to_string(r.line) + ".");
    map_.entries.push_back({at, number_});
    return true;
}

bool Reader::add_range(std::int32_t start, std::int32_t end, DataKind kind)
{
    if (end < start)
        return fail("Range ends before it starts.");
    if (!inside(start) || !inside(end))
        return fail("Range outside the image.");
    for (const MapRange& r : map_.ranges)
        if (start <= r.end && r.start <= end)
            return fail("Range overlaps the one on line " + std::to_string(r.line) + ".");
    for (const MapEntry& e : map_.entries)
        if (e.address >= start && e.address <= end)
            return fail("Range holds the entry point on line " + std::to_string(e.line) + ".");
    map_.ranges.push_back({start, end, kind, number_});
    return true;
}

bool Reader::code(const Token* t, int n)
{
    std::int32_t at = 0;
    if (n < 2)
        return fail("Missing address.");
    if (n > 3)
        return fail("Too many fields.");
    return address(t[1], at) && add_entry(at) && (n < 3 || add_name(at, t[2]));
}

bool Reader::label(const Token* t, int n)
{
    std::int32_t at = 0;
    if (n < 3)
        return fail(n < 2 ? "Missing address." : "Missing name.");
    if (n > 3)
        return fail("Too many fields.");
    return address(t[1], at) && add_name(at, t[2]);
}

bool Reader::range(const Token* t, int n, DataKind kind)
{
    std::int32_t start = 0;
    std::int32_t end = 0;
    if (n < 3)
        return fail(n < 2 ? "Missing address." : "Missing end address.");
    if (n > 4)
        return fail("Too many fields.");
    return address(t[1], start) && address(t[2], end) && add_range(start, end, kind) &&
           (n < 4 || add_name(start, t[3]));
}

// The vectors that lie whole in the image; TRAP 0's at the top.
bool Reader::vectors(const Token*, int n)
{
    if (n > 1)
        return fail("Too many fields.");
    std::int32_t start = kVectorBase;
    while (start <= kVectorTop && !(inside(start) && inside(start + 1)))
        start += 2;
    std::int32_t end = start;
    while (end + 2 <= kVectorTop && inside(end + 2) && inside(end + 3))
        end += 2;
    if (start > kVectorTop)
        return fail("The TRAP vectors are not in the image.");
    if (!add_range(start, end + 1, DataKind::Addrs))
        return false;
    map_.vectors_line = number_;
    return true;
}

bool Reader::reg_or_port(const Token* t, int n, std::vector<std::string>& table, const char* what)
{
    unsigned i = 0;
    if (n < 3)
        return fail(n < 2 ? "Missing number." : "Missing name.");
    if (n > 3)
        return fail("Too many fields.");
    if (!number(t[1], i) || !name(t[2]))
        return false;
    if (!table[i].empty())
        return fail(std::string(what) + " " + std::to_string(i) + " already named `" + table[i] + "'.");
    for (const MapName& m : map_.names)
        if (same(t[2], m.name.c_str()))
            return fail("Name `" + str(t[2]) + "' already used on line " + std::to_string(m.line) + ".");
    for (unsigned k = 0; k < 256; ++k)
        if (same(t[2], map_.reg[k].c_str()) || same(t[2], map_.port[k].c_str()))
            return fail("Name `" + str(t[2]) + "' already used for a register or port.");
    table[i] = str(t[2]);
    return true;
}

// find gaps|tables|text on|off, or find text N: N printable characters at least.
bool Reader::find(const Token* t, int n)
{
    if (n != 3)
        return fail(n < 3 ? "Missing setting." : "Too many fields.");
    int* what = same(t[1], "gaps")     ? &map_.find.gaps
                : same(t[1], "tables") ? &map_.find.tables
                : same(t[1], "text")   ? &map_.find.text
                                       : nullptr;
    unsigned value = 0;
    if (what == nullptr)
        return fail("Unknown analysis `" + str(t[1]) + "'.");
    if (same(t[2], "on") || same(t[2], "off"))
        *what = same(t[2], "on") ? 1 : 0;
    else if (what == &map_.find.text && t[2].text[0] >= '0' && t[2].text[0] <= '9' && number(t[2], value) && value >= 2)
        *what = static_cast<int>(value);
    else
        return fail("Bad setting `" + str(t[2]) + "'.");
    return true;
}

// What a map says of the routine at the address in t, made on first mention.
MapRoutine* Reader::routine(const Token& t)
{
    std::int32_t at = 0;
    if (!address(t, at))
        return nullptr;
    for (MapRoutine& r : map_.routines)
        if (r.address == at)
            return &r;
    map_.routines.push_back({at, 0, 0, false});
    return &map_.routines.back();
}

bool Reader::params(const Token* t, int n)
{
    if (n < 3)
        return fail(n < 2 ? "Missing address." : "Missing number.");
    if (n > 3)
        return fail("Too many fields.");
    unsigned count = 0;
    MapRoutine* r = nullptr;
    if (!number(t[2], count) || (r = routine(t[1])) == nullptr)
        return false;
    if (r->params_line != 0)
        return fail("Parameters of this routine already given on line " + std::to_string(r->params_line) + ".");
    r->params = static_cast<int>(count);
    r->params_line = number_;
    return true;
}

bool Reader::noreturn(const Token* t, int n)
{
    if (n < 2)
        return fail("Missing address.");
    if (n > 2)
        return fail("Too many fields.");
    MapRoutine* r = routine(t[1]);
    if (r != nullptr)
        r->noreturn = true;
    return r != nullptr;
}

// The text is the rest of the line as written, '#' and ';' included, without the blanks
// around it.
bool Reader::comment(const Token* t, int n)
{
    std::int32_t at = 0;
    if (n < 2)
        return fail("Missing address.");
    if (!address(t[1], at))
        return false;
    if (rest_.size == 0)
        return fail("Missing text.");
    if (rest_.size > kMaxCommentLength)
        return fail("Comment longer than " + std::to_string(kMaxCommentLength) + " characters.");
    for (std::size_t i = 0; i < rest_.size; ++i) {
        const auto c = static_cast<unsigned char>(rest_.text[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F)
            return fail("Control character in comment.");
    }
    if (!inside(at))
        return fail("Address outside the image.");
    for (const MapComment& c : map_.comments)
        if (c.address == at)
            return fail("Address already has the comment on line " + std::to_string(c.line) + ".");
    map_.comments.push_back({at, str(rest_), number_});
    return true;
}

// The directives, by their word.
struct Directive {
    const char* word;
    bool (Reader::*read)(const Token* t, int n);
};

constexpr Directive kDirectives[] = {
    {"code", &Reader::code},       {"label", &Reader::label},       {"bytes", &Reader::bytes},
    {"words", &Reader::words},     {"addrs", &Reader::addrs},       {"text", &Reader::text},
    {"vectors", &Reader::vectors}, {"reg", &Reader::reg},           {"port", &Reader::port},
    {"params", &Reader::params},   {"noreturn", &Reader::noreturn}, {"comment", &Reader::comment},
    {"find", &Reader::find},
};

bool blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

bool Reader::line(int number, const char* text, std::size_t size)
{
    number_ = number;
    Token t[kMaxTokens + 1];
    int n = 0;
    std::size_t i = 0;
    while (i < size) {
        const char c = text[i];
        if (c == '#' || c == ';')
            break;
        if (blank(c)) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < size && !blank(text[i]) && text[i] != '#' && text[i] != ';')
            ++i;
        if (n == kMaxTokens + 1)
            return fail("Too many fields.");
        t[n++] = {text + start, i - start};
        if (n == 2 && same(t[0], "comment")) {  // the rest of the line is its text
            std::size_t end = size;
            while (i < end && blank(text[i]))
                ++i;
            while (end > i && blank(text[end - 1]))
                --end;
            rest_ = {text + i, end - i};
            break;
        }
    }
    if (n == 0)
        return true;
    for (const Directive& d : kDirectives)
        if (same(t[0], d.word))
            return (this->*d.read)(t, n);
    return fail("Unknown directive " + quoted(t[0]) + ".");
}

}  // namespace

bool parse_map(const char* text, std::size_t size, const char* path, std::int32_t reloc, std::int32_t length, Map& map)
{
    Reader reader(path, reloc, length, map);
    int number = 1;
    std::size_t start = 0;
    if (size >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0)  // a UTF-8 byte order mark
        start = 3;
    while (start < size) {
        const void* nl = std::memchr(text + start, '\n', size - start);
        const std::size_t end = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - text) : size;
        if (!reader.line(number, text + start, end - start))
            return false;
        start = end + 1;
        ++number;
    }
    return true;
}

std::vector<int> range_index(const Map& map, std::int32_t reloc, std::int32_t length)
{
    std::vector<int> index(static_cast<std::size_t>(length), -1);
    for (std::size_t i = 0; i < map.ranges.size(); ++i)
        // By offset: an address loop would overflow at a range that ends at 7FFFFFFF.
        for (std::int32_t off = sub32(map.ranges[i].start, reloc); off <= sub32(map.ranges[i].end, reloc); ++off)
            index[static_cast<std::size_t>(off)] = static_cast<int>(i);
    return index;
}

bool read_map(const char* path, std::int32_t reloc, std::int32_t length, Map& map)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::fputs("Cannot open map file.\n", stderr);
        return false;
    }
    // Read in pieces up to one byte past the bound, so that a longer file is seen as such.
    std::string text;
    char piece[16384];
    std::size_t n = 0;
    while (text.size() <= kMaxMapSize && (n = std::fread(piece, 1, sizeof piece, file)) > 0)
        text.append(piece, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        std::fputs("Cannot open map file.\n", stderr);
        return false;
    }
    if (text.size() > kMaxMapSize) {
        std::fputs("Map file too large.\n", stderr);
        return false;
    }
    return parse_map(text.data(), text.size(), path, reloc, length, map);
}

}  // namespace koddar
