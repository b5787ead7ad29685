// Columns: byte offset, start time (a section's notes at their first pass), note name
// (indented by two blanks inside a section, so the numbers stay aligned), divisor and
// duration in seconds. An END line shows the time at which play goes on after the section.
#include "listing.h"

#include <cstdio>
#include <cstring>

#include "decimal.h"
#include "notes.h"
#include "text.h"

namespace melplay {

namespace {

// The lines are the printf formats of listing.h; Line builds them field by field, each
// field exactly as its conversion prints it.

// One listing line. Every field is far shorter than the line's room.
class Line {
public:
    // "%*s" (width > 0) or "%-*s" (width < 0): blanks up to the width, the text never cut.
    void text(const char* s, std::size_t n, int width)
    {
        const std::size_t w = static_cast<std::size_t>(width < 0 ? -width : width);
        const std::size_t pad = n < w ? w - n : 0;
        if (width > 0)
            blanks(pad);
        std::memcpy(text_ + size_, s, n);
        size_ += n;
        if (width < 0)
            blanks(pad);
    }
    template <std::size_t N>
    void literal(const char (&s)[N])
    {
        text(s, N - 1, 0);
    }
    // "%*zu", "%*u", "%*d" of a value that is never negative.
    void number(std::uint64_t v, int width)
    {
        char digits[kDecimalRoom];
        text(digits, unsigned_text(v, digits), width);
    }
    // "%*.6f"
    void seconds(double x, int width)
    {
        char digits[kDecimalRoom + 320];  // printf's text of the largest double, should one come
        std::size_t n = fixed_text(x, 6, digits);
        if (n == 0)
            n = static_cast<std::size_t>(std::snprintf(digits, sizeof digits, "%.6f", x));
        text(digits, n, width);
    }
    void append_to(std::string& out) const { out.append(text_, size_); }

private:
    void blanks(std::size_t n)
    {
        std::memset(text_ + size_, ' ', n);
        size_ += n;
    }

    char text_[512];
    std::size_t size_ = 0;
};

// Walks the stream in order with the running time, a section counted `count` times at its END.
template <class Visit>
double walk(const Stream& stream, int type, Visit visit)
{
    double t = 0;
    double section_start = 0;
    int count = 1;
    bool inside = false;
    for (const Element& e : stream.elements) {
        switch (e.kind) {
        case Kind::Note: {
            double d = note_seconds(type, e.code, e.divisor);
            visit(e, t, d, inside);
            t += d;
            break;
        }
        case Kind::SectionStart:
            visit(e, t, 0.0, inside);
            section_start = t;
            count = e.count;
            inside = true;
            break;
        case Kind::SectionEnd:
            t = section_start + (t - section_start) * count;
            inside = false;
            visit(e, t, 0.0, inside);
            break;
        }
    }
    return t;
}

}  // namespace

double total_seconds(const Stream& stream, int type)
{
    return walk(stream, type, [](const Element&, double, double, bool) {});
}

std::string listing(const Stream& stream, int type)
{
    std::string out = format(kHeader, "offset", "start", "note", "divisor", "duration");
    out.reserve(out.size() + 48 * stream.elements.size() + 64);
    double total = walk(stream, type, [&](const Element& e, double t, double d, bool inside) {
        Line line;
        line.number(e.offset, 6);
        line.literal(" ");
        line.seconds(t, 11);
        line.literal("  ");
        switch (e.kind) {
        case Kind::Note: {
            // "%-6s" of the name, two blanks in front inside a section
            const char* table_name = note_name(e.code);
            const std::size_t n = std::strlen(table_name);
            if (inside)
                line.literal("  ");
            line.text(table_name, n, inside ? -4 : -6);
            line.literal(" ");
            line.number(e.divisor, 7);
            line.literal(" ");
            line.seconds(d, 11);
            break;
        }
        case Kind::SectionStart:
            line.literal("REPEAT x");
            line.number(static_cast<std::uint64_t>(e.count), 0);
            break;
        case Kind::SectionEnd: line.literal("END"); break;
        }
        line.literal("\n");
        line.append_to(out);
    });
    out += format(kTotalLine, stream.note_events, stream.note_events == 1 ? "" : "s", total);
    return out;
}

}  // namespace melplay
