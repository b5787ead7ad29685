// Label lines and data lines.
#include "data_lines.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "text.h"

namespace koddar {

void Line::put_hex4(std::uint32_t v)
{
    char digits[8];
    const std::size_t n = wide_hex(v, digits);
    put(digits + sizeof digits - n, n);
}

void Line::put_lower(unsigned n)
{
    put(hex_lower[n].text, 2);
}

void Line::put_upper(unsigned n)
{
    put(hex_upper[n].text, 2);
}

void Line::pad_to(std::size_t column)
{
    const std::size_t end = column < sizeof text_ - 1 ? column : sizeof text_ - 1;
    if (size_ < end) {
        std::memset(text_ + size_, ' ', end - size_);
        size_ = end;
    }
    text_[size_] = '\0';
}

void start_line(Line& line, std::int32_t address, const unsigned char* bytes, int count)
{
    line.put_hex4(static_cast<std::uint32_t>(address));
    line.put(" ");
    for (int i = 0; i < count; ++i)
        line.put_lower(bytes[i]);
    line.pad_to(kMnemonicColumn);
}

namespace {

constexpr std::size_t kShownRefs = 4;

void put_name(Line& line, const std::string& name)
{
    line.put(name.data(), name.size());
}

void put_word(Line& line, unsigned v, const OperandNames* names)
{
    const std::string* name = names != nullptr ? names->address(static_cast<std::int32_t>(v)) : nullptr;
    if (name != nullptr) {
        put_name(line, *name);
        return;
    }
    line.put("$");
    line.put_hex4(v);
}

bool quoted(unsigned char c, Quoting quoting)
{
    return c >= 0x20 && c < 0x7F && c != '"' && (quoting == Quoting::Listing || c != '\\');
}

}  // namespace

void put_text(Line& line, const unsigned char* bytes, int count, Quoting quoting)
{
    for (int i = 0; i < count;) {
        if (i > 0)
            line.put(",");
        if (!quoted(bytes[i], quoting)) {
            line.put("$");
            line.put_upper(bytes[i++]);
            continue;
        }
        line.put("\"");
        const int start = i;
        while (i < count && quoted(bytes[i], quoting))
            ++i;
        line.put(reinterpret_cast<const char*>(bytes + start), static_cast<std::size_t>(i - start));
        line.put("\"");
    }
}

void label_line(Line& line, std::int32_t address, const char* label, std::size_t label_size, const Ref* refs,
                std::size_t count)
{
    start_line(line, address, nullptr, 0);
    line.put(label, label_size);
    line.put(":");
    if (count == 0)
        return;
    line.pad_to(kOperandColumn - 1);
    line.put(" ; from ");
    for (std::size_t i = 0; i < count && i < kShownRefs; ++i) {
        if (i > 0)
            line.put(", ");
        line.put_hex4(static_cast<std::uint32_t>(refs[i].from));
    }
    if (count > kShownRefs) {
        line.put(" and ");
        put_name(line, std::to_string(count - kShownRefs));
        line.put(" more");
    }
}

std::size_t write_label_line(char* out, std::int32_t address, const char* label, std::size_t label_size,
                             const Ref* refs, std::size_t count)
{
    const auto four_digits = [](std::int32_t v) { return static_cast<std::uint32_t>(v) <= 0xFFFF; };
    if (!four_digits(address) || label_size > kMaxNameLength || count > kShownRefs)
        return 0;
    for (std::size_t i = 0; i < count; ++i)
        if (!four_digits(refs[i].from))
            return 0;
    static_assert(sizeof kBlanks - 1 >= kMnemonicColumn - 4, "blanks up to the mnemonic column");
    static_assert(kMnemonicColumn + kMaxNameLength + 1 + 8 + kShownRefs * 6 < kMappedLineSize, "the line fits");
    store_hex4(out, static_cast<std::uint32_t>(address));
    std::memcpy(out + 4, kBlanks, kMnemonicColumn - 4);
    std::memcpy(out + kMnemonicColumn, label, label_size);
    std::size_t n = kMnemonicColumn + label_size;
    out[n++] = ':';
    if (count == 0)
        return n;
    for (; n < kOperandColumn - 1; ++n)
        out[n] = ' ';
    std::copy_n(" ; from ", 8, out + n);
    n += 8;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            std::copy_n(", ", 2, out + n);
            n += 2;
        }
        store_hex4(out + n, static_cast<std::uint32_t>(refs[i].from));
        n += 4;
    }
    return n;
}

void data_line(Line& line, std::int32_t address, const unsigned char* bytes, int count, DataKind kind,
               const OperandNames* names)
{
    start_line(line, address, bytes, count);
    const bool words = (kind == DataKind::Words || kind == DataKind::Addrs) && count % 2 == 0;
    if (kind == DataKind::Text) {
        line.put("TEXT");
        line.pad_to(kOperandColumn);
        put_text(line, bytes, count, Quoting::Listing);
    } else if (words) {
        line.put("WORD");
        line.pad_to(kOperandColumn);
        for (int i = 0; i < count; i += 2) {
            if (i > 0)
                line.put(",");
            put_word(line, static_cast<unsigned>(bytes[i]) << 8 | bytes[i + 1], names);
        }
    } else {
        line.put("BYTE");
        line.pad_to(kOperandColumn);
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                line.put(",");
            line.put("$");
            line.put_upper(bytes[i]);
        }
    }
}

}  // namespace koddar
