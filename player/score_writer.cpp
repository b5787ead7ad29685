// Type 3 at tempo 3960 gives each divisor back as its own duration. Type 1 at tempo 60
// needs a search: the divisor is the ceiling of a rounded quotient, so the duration is found
// by stepping through neighbouring floats with the converter's own divisor computation.
#include "score_writer.h"

#include <cmath>
#include <cstdlib>

#include "notes.h"
#include "numbers.h"
#include "text.h"

namespace melplay {

namespace {

constexpr int kMaxSteps = 1 << 20;

}  // namespace

float type1_duration(int code, unsigned divisor)
{
    const float freq = note_frequency(code);
    if (!(freq > 0) || divisor < 1 || divisor > 65535)
        return 0;
    const auto want = static_cast<int>(divisor);
    // 0 from compute_diviseur means above 65535 here: every positive duration gives at least 1.
    auto too_long = [&](float d) {
        int got = compute_diviseur(1, freq, d, kType1Tempo);
        return got == 0 || got > want;
    };
    float d = static_cast<float>(divisor / static_cast<double>(freq));
    for (int step = 0; step < kMaxSteps && d > 0 && std::isfinite(d); ++step) {
        if (compute_diviseur(1, freq, d, kType1Tempo) == want)
            return d;
        d = too_long(d) ? std::nextafterf(d, 0.0f) : std::nextafterf(d, INFINITY);
    }
    return 0;
}

std::string shortest_fixed(float d)
{
    std::string s;
    for (int decimals = 0; decimals <= 60; ++decimals) {
        s = format("%.*f", decimals, static_cast<double>(d));
        if (static_cast<float>(std::strtod(s.c_str(), nullptr)) == d)
            break;
    }
    return s;
}

bool score_text(const Stream& stream, int type, std::string& text, std::string& error)
{
    text = format("%d\n", type == 3 ? kType3Tempo : kType1Tempo);
    bool inside = false;
    for (const Element& e : stream.elements) {
        switch (e.kind) {
        case Kind::SectionStart:
            text += format("REPEAT %d\n", e.count);
            inside = true;
            break;
        case Kind::SectionEnd:
            text += "END\n";
            inside = false;
            break;
        case Kind::Note: {
            std::string duration;
            if (type == 3) {
                duration = format("%u", e.divisor);
            } else {
                float d = type1_duration(e.code, e.divisor);
                if (d == 0) {
                    error = format("Offset %zu: no duration gives the divisor %u.\n", e.offset, e.divisor);
                    return false;
                }
                duration = shortest_fixed(d);
            }
            text += format("%s%s %s\n", inside ? "  " : "", note_name(e.code), duration.c_str());
            break;
        }
        }
    }
    return true;
}

}  // namespace melplay
