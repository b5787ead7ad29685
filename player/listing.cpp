// Columns: byte offset, start time (a section's notes at their first pass), note name
// (indented by two blanks inside a section, so the numbers stay aligned), divisor and
// duration in seconds. An END line shows the time at which play goes on after the section.
#include "listing.h"

#include "notes.h"
#include "text.h"

namespace melplay {

namespace {

const char kHeader[] = "%6s %11s  %-6s %7s %11s\n";
const char kNoteLine[] = "%6zu %11.6f  %-6s %7u %11.6f\n";
const char kStartLine[] = "%6zu %11.6f  REPEAT x%d\n";
const char kEndLine[] = "%6zu %11.6f  END\n";
const char kTotalLine[] = "%zu note event%s, %.6f s in all\n";

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
    double total = walk(stream, type, [&](const Element& e, double t, double d, bool inside) {
        switch (e.kind) {
        case Kind::Note:
            out += format(kNoteLine, e.offset, t, (std::string(inside ? "  " : "") + note_name(e.code)).c_str(),
                          e.divisor, d);
            break;
        case Kind::SectionStart: out += format(kStartLine, e.offset, t, e.count); break;
        case Kind::SectionEnd: out += format(kEndLine, e.offset, t); break;
        }
    });
    out += format(kTotalLine, stream.note_events, stream.note_events == 1 ? "" : "s", total);
    return out;
}

}  // namespace melplay
