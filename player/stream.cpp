// The stream checker: byte classes 0x00 terminator, 0x01..0x5F note code, 0x60..0x7F
// invalid, 0x80 section end, 0x81..0xFF section start with its count in the low 7 bits.
#include "stream.h"

#include <cstdio>

#include "text.h"

namespace melplay {

namespace {

constexpr unsigned char kTerminator = 0x00;
constexpr unsigned char kLastNoteCode = 0x5F;
constexpr unsigned char kSectionEnd = 0x80;

Check fault(Fault f, std::size_t offset, unsigned byte = 0)
{
    return Check{f, offset, byte};
}

}  // namespace

Check check_stream(const std::vector<unsigned char>& bytes, Stream& stream)
{
    stream = Stream{};
    if (bytes.empty())
        return fault(Fault::Empty, 0);
    bool inside = false;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const unsigned char b = bytes[at];
        Element e;
        e.offset = at;
        if (b == kTerminator) {
            if (inside)
                return fault(Fault::OpenAtTerminator, at);
            if (at + 1 != bytes.size())
                return fault(Fault::BytesAfter, at + 1);
            stream.size = bytes.size();
            return Check{};
        }
        if (b <= kLastNoteCode) {
            if (bytes.size() - at < 3)
                return fault(Fault::CutShort, at);
            e.kind = Kind::Note;
            e.code = b;
            e.divisor = bytes[at + 1] | static_cast<unsigned>(bytes[at + 2]) << 8;
            if (e.divisor == 0)
                return fault(Fault::ZeroDivisor, at + 1);
            ++stream.note_events;
            at += 3;
        } else if (b < kSectionEnd) {
            return fault(Fault::BadCode, at, b);
        } else if (b == kSectionEnd) {
            if (!inside)
                return fault(Fault::EndOutside, at);
            e.kind = Kind::SectionEnd;
            inside = false;
            ++at;
        } else {
            if (inside)
                return fault(Fault::StartInside, at);
            e.kind = Kind::SectionStart;
            e.count = b & 0x7F;
            inside = true;
            ++at;
        }
        stream.elements.push_back(e);
    }
    return fault(Fault::NoTerminator, bytes.size());
}

std::string fault_message(const Check& check)
{
    // Every message of the checker; %zu is the offset.
    static const struct {
        Fault fault;
        const char* text;
    } kMessages[] = {
        {Fault::Empty, "Empty note stream.\n"},
        {Fault::BadCode, "Offset %zu: note code 0x%02X, expected 1 to 95 or a section byte.\n"},
        {Fault::ZeroDivisor, "Offset %zu: divisor 0, expected 1 to 65535.\n"},
        {Fault::StartInside, "Offset %zu: section start inside a section.\n"},
        {Fault::EndOutside, "Offset %zu: section end outside a section.\n"},
        {Fault::OpenAtTerminator, "Offset %zu: section still open at the terminator.\n"},
        {Fault::CutShort, "Offset %zu: note event cut short, expected 3 bytes.\n"},
        {Fault::NoTerminator, "Offset %zu: missing final 0x00.\n"},
        {Fault::BytesAfter, "Offset %zu: bytes after the final 0x00.\n"},
    };
    // The texts are the literals above: %zu takes the offset, and %02X the byte of BadCode.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    for (const auto& m : kMessages) {
        if (m.fault == check.fault) {
            return check.fault == Fault::BadCode ? format(m.text, check.offset, check.byte)
                                                 : format(m.text, check.offset);
        }
    }
#pragma GCC diagnostic pop
    return {};
}

}  // namespace melplay
