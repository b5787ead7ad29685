// Reading the map file: one directive a line, every fault reported with its line number before
// anything is listed.
#include "map.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "address.h"

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
    bool code(const Token* t, int n);
    bool label(const Token* t, int n);
    bool range(const Token* t, int n, DataKind kind);
    bool vectors(int n);
    bool reg_or_port(const Token* t, int n, std::vector<std::string>& table, const char* what);

    const char* path_;
    std::int32_t reloc_;
    std::int32_t length_;
    Map& map_;
    int number_ = 0;
};

// Like the values of -r, -s and -e: base-16 strtol, saturated to 32 bits; here the whole token
// must be read.
bool Reader::address(const Token& t, std::int32_t& value) const
{
    const std::string s = str(t);
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 16);
    if (end != s.c_str() + s.size())
        return fail("Bad address `" + s + "'.");
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
        return fail("Bad number `" + str(t) + "'.");
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
            return fail("Bad name `" + str(t) + "'.");
    if (t.size > kMaxNameLength)
        return fail("Name `" + str(t) + "' is longer than 32 characters.");
    // A, B and ST are operands of their own.
    if (same(t, "A") || same(t, "B") || same(t, "ST"))
        return fail("Name `" + str(t) + "' is reserved.");
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
        char text[16];
        std::snprintf(text, sizeof text, "%04X", static_cast<std::uint32_t>(own));
        return fail("Name `" + str(t) + "' is kept for address " + text + ".");
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
bool Reader::vectors(int n)
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
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < size && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '#' && text[i] != ';')
            ++i;
        if (n == kMaxTokens + 1)
            return fail("Too many fields.");
        t[n++] = {text + start, i - start};
    }
    if (n == 0)
        return true;
    if (same(t[0], "code"))
        return code(t, n);
    if (same(t[0], "label"))
        return label(t, n);
    if (same(t[0], "bytes"))
        return range(t, n, DataKind::Bytes);
    if (same(t[0], "words"))
        return range(t, n, DataKind::Words);
    if (same(t[0], "addrs"))
        return range(t, n, DataKind::Addrs);
    if (same(t[0], "text"))
        return range(t, n, DataKind::Text);
    if (same(t[0], "vectors"))
        return vectors(n);
    if (same(t[0], "reg"))
        return reg_or_port(t, n, map_.reg, "Register");
    if (same(t[0], "port"))
        return reg_or_port(t, n, map_.port, "Port");
    return fail("Unknown directive `" + str(t[0]) + "'.");
}

}  // namespace

bool parse_map(const char* text, std::size_t size, const char* path, std::int32_t reloc, std::int32_t length, Map& map)
{
    Reader reader(path, reloc, length, map);
    int number = 1;
    std::size_t start = 0;
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
