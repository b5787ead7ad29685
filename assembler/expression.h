// The expression reader: numbers in every notation TMS7000 sources use, characters, names,
// operators with C's precedence, HIGH/LOW and the user's one-line functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kodasm {

// What a value stands for: a plain number, or a register or port, which keep their meaning
// through + and - with numbers (ADDR1-1 is the register before ADDR1).
enum class Tag : std::uint8_t { Number, Register, Port };

struct Value {
    long v = 0;
    bool known = true;  // false while a name is not yet defined (first pass)
    Tag tag = Tag::Number;
};

// A position in one line of text.
struct Cursor {
    std::string_view s;
    std::size_t pos = 0;
    char peek(std::size_t ahead = 0) const { return pos + ahead < s.size() ? s[pos + ahead] : '\0'; }
    void skip_blanks()
    {
        while (peek() == ' ' || peek() == '\t')
            ++pos;
    }
    bool at_end() const { return pos >= s.size() || s[pos] == ';'; }
};

// Names, keywords and mnemonics are matched in upper case: the text with a to z raised.
std::string upper(std::string_view text);

bool name_start(char c);
bool name_char(char c);
// A name at the cursor: letters, digits, '_', a leading '.' or "$$"; empty when none starts there.
std::string_view read_name(Cursor& c);

// What the reader asks of the assembler.
class Context {
public:
    virtual ~Context() = default;
    // The value of a name at column; false after reporting the fault.
    virtual bool lookup(std::string_view name, std::size_t column, Value& out) = 0;
    // Calls a user function; false when there is no function of that name (nothing reported) or
    // after reporting a fault (failed set).
    virtual bool call(std::string_view name, const Value* args, std::size_t count, std::size_t column, Value& out,
                      bool& failed) = 0;
    virtual bool defined(std::string_view name) = 0;
    virtual long here() const = 0;
    virtual bool fail(std::size_t column, const std::string& message) = 0;
};

// Reads one expression from the cursor, leaving it after the last character that belongs to it.
bool read_expression(Cursor& c, Context& context, Value& out);

// A character constant or a string's bytes: the text between the quotes at the cursor, with its
// escapes worked out; false with a message (and column) when it has no closing quote or a bad
// escape.
bool read_quoted(Cursor& c, std::string& bytes, std::string& error, std::size_t& column);

}  // namespace kodasm
