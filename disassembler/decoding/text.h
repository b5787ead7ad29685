// Text building with known lengths: pieces made at compile time and a write cursor into a
// fixed store, so no text is ever measured after it was made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace koddar {

// A text of at most N - 1 characters in a store of N bytes, zero-padded, with its length.
// A cursor copies the whole piece, length byte included, in one move when there is room,
// then advances by `size`: N is one less than a power of two, so a piece is 8 or 16 bytes.
template <std::size_t N>
struct Piece {
    char text[N];
    std::uint8_t size;
};

// One printf conversion of every byte value, made at compile time: a whole-image listing
// needs several per line.
struct ByteTexts {
    Piece<7> row[256];
    constexpr const Piece<7>& operator[](unsigned n) const { return row[n & 0xFF]; }
};

constexpr ByteTexts make_hex_texts(const char (&digits)[17])
{
    ByteTexts t{};
    for (unsigned n = 0; n < 256; ++n)
        t.row[n] = {{digits[n >> 4], digits[n & 15]}, 2};
    return t;
}

constexpr ByteTexts make_decimal_texts()
{
    ByteTexts t{};
    for (unsigned n = 0; n < 256; ++n) {
        Piece<7>& p = t.row[n];
        if (n >= 100)
            p.text[p.size++] = static_cast<char>('0' + n / 100);
        if (n >= 10)
            p.text[p.size++] = static_cast<char>('0' + n / 10 % 10);
        p.text[p.size++] = static_cast<char>('0' + n % 10);
    }
    return t;
}

inline constexpr ByteTexts hex_lower = make_hex_texts("0123456789abcdef");  // "%02x": the hex column
inline constexpr ByteTexts hex_upper = make_hex_texts("0123456789ABCDEF");  // "%02X": immediate bytes
inline constexpr ByteTexts decimal = make_decimal_texts();                  // "%u": port, register and TRAP numbers

// Four upper-case hex digits of v's low 16 bits at `at`: "%04X" of an address up to FFFF in a
// line written in place.
inline void store_hex4(char* at, std::uint32_t v)
{
    std::memcpy(at, hex_upper[v >> 8].text, 2);
    std::memcpy(at + 2, hex_upper[v].text, 2);
}

// The eight upper-case hex digits of v into `digits`; returns how many of the last ones
// "%04X" prints (five to eight for a value above FFFF). Out of line, so that no cursor's
// address escapes from the code that writes through it (cursors stay in registers).
std::size_t wide_hex(std::uint32_t v, char (&digits)[8]);

// An address as the listing prints it, and the map reader reads it back: "%04X" of its 32-bit
// two's complement, for messages and the map written back.
std::string hex_address(std::int32_t v);

// Writes into a fixed store of `size` bytes from its start; text that would not fit (with
// the terminator) is cut, never written past the store.
class Cursor {
public:
    constexpr Cursor(char* store, std::size_t size) : begin_(store), at_(store), last_(store + size - 1) {}
    template <std::size_t N>
    constexpr explicit Cursor(char (&store)[N]) : Cursor(store, N)
    {
    }

    std::size_t size() const { return static_cast<std::size_t>(at_ - begin_); }
    // Zero-terminates the text and returns its length.
    std::size_t finish()
    {
        *at_ = '\0';
        return size();
    }

    void put(char c)
    {
        if (at_ < last_)
            *at_++ = c;
    }
    void put(const char* text, std::size_t n)
    {
        if (n > room())
            n = room();
        std::memcpy(at_, text, n);
        at_ += n;
    }
    // A string literal, its length known from its type.
    template <std::size_t N>
    void put(const char (&literal)[N])
    {
        put_store(literal, N, N - 1);
    }
    template <std::size_t N>
    void put(const Piece<N>& piece)
    {
        static_assert(sizeof piece == N + 1, "a piece is its text and its length byte");
        put_store(piece.text, sizeof piece, piece.size);
    }

    // printf's "%04X": at least four upper-case digits, no more than the value needs.
    void put_hex4(std::uint32_t v)
    {
        if (v <= 0xFFFF) {
            put(hex_upper[v >> 8]);
            put(hex_upper[v]);
        } else {
            char digits[8];
            const std::size_t n = wide_hex(v, digits);
            put(digits + sizeof digits - n, n);
        }
    }

private:
    std::size_t room() const { return static_cast<std::size_t>(last_ - at_); }
    // Copies all `store` bytes when they fit (one fixed-size move), then keeps `n` of them.
    // Bytes past the first n may be anything: the next write or the terminator covers them.
    void put_store(const char* text, std::size_t store, std::size_t n)
    {
        if (store <= room()) {
            std::memcpy(at_, text, store);
            at_ += n;
        } else {
            put(text, n);
        }
    }

    char* begin_;
    char* at_;
    char* last_;  // the byte kept for the terminator
};

}  // namespace koddar
