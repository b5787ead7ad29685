// The execution log of -t: a text file whose lines start with the address of an instruction
// that ran, as an emulator's trace command writes it ("F012: 22 41  MOV %>41,A" or
// "F012 MOV ..."). The first word of a line is taken as an address when it is 4 to 8
// hexadecimal digits followed by a blank, a tab, a colon or the end of the line; other lines
// are skipped. The file is read in pieces, up to kMaxLogSize bytes.
#include <cstdio>
#include <vector>

#include "address.h"
#include "analysis.h"

namespace koddar {

namespace {

constexpr std::size_t kMaxLogSize = std::size_t{1} << 28;  // 256 MiB: hours of an emulator's trace

int hex_digit(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool ends_word(unsigned char c)
{
    return c == ' ' || c == '\t' || c == ':' || c == '\r' || c == '\n';
}

// Reads the first word of each line, a byte at a time, across the pieces of the file.
class LogReader {
public:
    LogReader(const char* path, const Map& map, std::int32_t reloc, std::int32_t length,
              std::vector<std::int32_t>& entries)
        : path_(path),
          reloc_(reloc),
          length_(length),
          entries_(entries),
          seen_(static_cast<std::size_t>(length)),
          range_line_(static_cast<std::size_t>(length))
    {
        for (const MapRange& r : map.ranges)
            for (std::int32_t off = sub32(r.start, reloc); off <= sub32(r.end, reloc); ++off)  // not by address:
                range_line_[static_cast<std::size_t>(off)] = r.line;  // it would overflow past 7FFFFFFF
    }

    void take(const unsigned char* bytes, std::size_t n)
    {
        for (std::size_t i = 0; i < n; ++i)
            step(bytes[i]);
    }
    void finish() { end_word(); }

private:
    void step(unsigned char c)
    {
        if (state_ == kWord) {
            const int d = hex_digit(c);
            if (d >= 0 && digits_ < 9) {
                value_ = value_ << 4 | static_cast<std::uint32_t>(d);
                ++digits_;
            } else {
                if (ends_word(c))
                    end_word();
                state_ = kRest;
            }
        }
        if (c == '\n') {
            ++line_;
            state_ = kWord;
            value_ = 0;
            digits_ = 0;
        }
    }
    void end_word();

    enum State { kWord, kRest };
    const char* path_;
    std::int32_t reloc_;
    std::int32_t length_;
    std::vector<std::int32_t>& entries_;
    std::vector<bool> seen_;
    std::vector<int> range_line_;
    State state_ = kWord;
    std::uint32_t value_ = 0;
    int digits_ = 0;
    int line_ = 1;
};

void LogReader::end_word()
{
    if (state_ != kWord || digits_ < 4 || digits_ > 8)
        return;
    const auto address = static_cast<std::int32_t>(value_);
    const std::int32_t off = sub32(address, reloc_);
    if (off < 0 || off >= length_ || seen_[static_cast<std::size_t>(off)])
        return;
    seen_[static_cast<std::size_t>(off)] = true;
    if (const int range = range_line_[static_cast<std::size_t>(off)]) {
        std::fprintf(stderr, "%s:%d: %04X is in the data range of line %d of the map.\n", path_, line_,
                     static_cast<std::uint32_t>(address), range);
        return;
    }
    entries_.push_back(address);
}

}  // namespace

void parse_exec_log(const char* text, std::size_t size, const char* path, const Map& map, std::int32_t reloc,
                    std::int32_t length, std::vector<std::int32_t>& entries)
{
    LogReader reader(path, map, reloc, length, entries);
    reader.take(reinterpret_cast<const unsigned char*>(text), size);
    reader.finish();
}

bool read_exec_log(const char* path, const Map& map, std::int32_t reloc, std::int32_t length,
                   std::vector<std::int32_t>& entries)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::fputs("Cannot open log file.\n", stderr);
        return false;
    }
    LogReader reader(path, map, reloc, length, entries);
    static unsigned char piece[1 << 16];
    std::size_t total = 0;
    std::size_t n = 0;
    while (total <= kMaxLogSize && (n = std::fread(piece, 1, sizeof piece, file)) > 0) {
        reader.take(piece, n);
        total += n;
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        std::fputs("Cannot open log file.\n", stderr);
        return false;
    }
    if (total > kMaxLogSize) {
        std::fputs("Log file too large.\n", stderr);
        return false;
    }
    reader.finish();
    return true;
}

}  // namespace koddar
