// Intel HEX: type 00 data records and the type 01 end record. S-records: an S0 header, S1 data
// records, an S5 count and an S9 end with the entry address (END's, or the first address).
#include "outputs.h"

#include <set>

#include "hex_text.h"

namespace kodasm {

namespace {

constexpr std::size_t kRecordBytes = 16;

void hex_byte(std::string& out, unsigned v, unsigned& sum)
{
    out += hex2(v);
    sum += v & 0xFFu;
}

// One record: the bytes of address and data after its type, and the checksum.
void intel_record(std::string& out, unsigned type, unsigned address, const unsigned char* data, std::size_t n)
{
    unsigned sum = 0;
    out += ':';
    hex_byte(out, static_cast<unsigned>(n), sum);
    hex_byte(out, address >> 8, sum);
    hex_byte(out, address, sum);
    hex_byte(out, type, sum);
    for (std::size_t i = 0; i < n; ++i)
        hex_byte(out, data[i], sum);
    unsigned check = 0;
    hex_byte(out, (0x100 - (sum & 0xFF)) & 0xFF, check);
    out += '\n';
}

void s_record(std::string& out, char type, unsigned address, const unsigned char* data, std::size_t n)
{
    unsigned sum = 0;
    out += 'S';
    out += type;
    hex_byte(out, static_cast<unsigned>(n + 3), sum);
    hex_byte(out, address >> 8, sum);
    hex_byte(out, address, sum);
    for (std::size_t i = 0; i < n; ++i)
        hex_byte(out, data[i], sum);
    unsigned check = 0;
    hex_byte(out, ~sum & 0xFF, check);
    out += '\n';
}

}  // namespace

std::string image_text(const Assembly& a, Format format)
{
    if (format == Format::Raw)
        return std::string(a.bytes.begin(), a.bytes.end());
    std::string out;
    const std::size_t size = a.bytes.size();
    if (format == Format::SRecords)
        s_record(out, '0', 0, nullptr, 0);
    std::size_t records = 0;
    for (std::size_t at = 0; at < size; at += kRecordBytes, ++records) {
        const std::size_t n = std::min(kRecordBytes, size - at);
        const auto address = static_cast<unsigned>(a.origin + at);
        if (format == Format::IntelHex)
            intel_record(out, 0, address, a.bytes.data() + at, n);
        else
            s_record(out, '1', address, a.bytes.data() + at, n);
    }
    if (format == Format::IntelHex) {
        intel_record(out, 1, 0, nullptr, 0);
    } else {
        s_record(out, '5', static_cast<unsigned>(records), nullptr, 0);
        s_record(out, '9', static_cast<unsigned>(a.entry >= 0 ? a.entry : a.origin), nullptr, 0);
    }
    return out;
}

std::string map_text(const Assembly& a)
{
    std::string out = "# Map written by kodasm\n";
    if (a.entry >= 0)
        out += "code " + hex4(a.entry) + "\n";
    std::set<long> named;
    const long first = a.origin;
    const long last = first + static_cast<long>(a.bytes.size()) - 1;
    for (const Symbol& s : a.symbols)
        if (s.kind == Symbol::Kind::Label && s.value >= first && s.value <= last && named.insert(s.value).second)
            out += "label " + hex4(s.value) + " " + s.name + "\n";
    std::set<long> regs, ports;
    for (const Symbol& s : a.symbols) {
        if (s.kind == Symbol::Kind::Register && s.value >= 0 && s.value < 256 && regs.insert(s.value).second)
            out += "reg " + std::to_string(s.value) + " " + s.name + "\n";
        if (s.kind == Symbol::Kind::Port && s.value >= 0 && s.value < 256 && ports.insert(s.value).second)
            out += "port " + std::to_string(s.value) + " " + s.name + "\n";
    }
    return out;
}

}  // namespace kodasm
