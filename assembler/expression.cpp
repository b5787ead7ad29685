// Precedence climbing over C's operator levels. Every value is a 64-bit long; numbers are at
// most 32 bits and arithmetic wraps as unsigned, so no source can make the reader overflow: the
// limits of a byte or a word are checked where the value is stored.
#include "expression.h"

#include "assembler.h"

#include <cctype>
#include <vector>

namespace kodasm {

namespace {

constexpr int kMaxDepth = 64;  // parentheses, unary operators and calls nested in one expression
constexpr std::size_t kMaxArgs = 16;

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

bool is_hex(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

int digit_value(char c)
{
    if (is_digit(c))
        return c - '0';
    const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u >= 'A' && u <= 'Z' ? u - 'A' + 10 : 99;
}

// Digits of one base; false when one is not of that base or when there are none.
bool digits_value(std::string_view digits, int base, unsigned long& v, bool& too_large)
{
    if (digits.empty())
        return false;
    v = 0;
    for (const char c : digits) {
        if (c == '_')
            continue;
        const int d = digit_value(c);
        if (d >= base)
            return false;
        v = v * static_cast<unsigned long>(base) + static_cast<unsigned long>(d);
        too_large = too_large || v > 0xFFFFFFFFul;
        if (too_large)
            v &= 0xFFFFFFFFul;  // keeps reading, so that a bad digit further on is still found
    }
    return true;
}

// One number token in the Intel notation and its C cousins: 0x1F, 1Fh, 0b101, 101b, 17o, 17q, 42.
bool token_value(std::string_view t, unsigned long& v, bool& too_large)
{
    const char last = static_cast<char>(std::toupper(static_cast<unsigned char>(t.back())));
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        return digits_value(t.substr(2), 16, v, too_large);
    if (last == 'H')
        return digits_value(t.substr(0, t.size() - 1), 16, v, too_large);
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'b' || t[1] == 'B') && digits_value(t.substr(2), 2, v, too_large))
        return true;
    if (last == 'B')
        return digits_value(t.substr(0, t.size() - 1), 2, v, too_large);
    if (last == 'O' || last == 'Q')
        return digits_value(t.substr(0, t.size() - 1), 8, v, too_large);
    return digits_value(t, 10, v, too_large);
}

struct Operator {
    const char* text;
    int level;  // higher binds tighter
};
// C's binary operators, longest spelling first so that "<<" is not read as "<".
constexpr Operator kOperators[] = {
    {"||", 1}, {"&&", 2}, {"==", 6}, {"!=", 6}, {"<>", 6}, {"<=", 7}, {">=", 7}, {"<<", 8}, {">>", 8}, {"|", 3},
    {"^", 4},  {"&", 5},  {"=", 6},  {"<", 7},  {">", 7},  {"+", 9},  {"-", 9},  {"*", 10}, {"/", 10}, {"%", 10},
};

class Reader {
public:
    Reader(Cursor& c, Context& context) : c_(c), x_(context) {}
    bool binary(Value& out, int min_level, int depth);

private:
    bool unary(Value& out, int depth);
    bool primary(Value& out, int depth);
    bool number(Value& out);
    bool prefixed(Value& out, int base, std::size_t column);
    bool character(Value& out);
    bool name(Value& out, int depth);
    bool call(std::string_view name, std::size_t column, Value& out, int depth, bool& handled);
    const Operator* peek_operator() const;
    bool apply(const Operator& op, Value& left, const Value& right, std::size_t column);

    Cursor& c_;
    Context& x_;
};

const Operator* Reader::peek_operator() const
{
    static constexpr std::string_view kFirst = "|&=!<>^+-*/%";
    if (kFirst.find(c_.peek()) == std::string_view::npos || c_.peek() == '\0')
        return nullptr;
    const std::string_view rest = c_.s.substr(c_.pos < c_.s.size() ? c_.pos : c_.s.size());
    for (const Operator& op : kOperators) {
        const std::string_view text(op.text);
        if (rest.substr(0, text.size()) == text)
            return &op;
    }
    return nullptr;
}

bool Reader::binary(Value& out, int min_level, int depth)
{
    if (!unary(out, depth))
        return false;
    for (;;) {
        const std::size_t before = c_.pos;  // the blanks stay for the caller, who may read a comment after them
        c_.skip_blanks();
        const Operator* op = peek_operator();
        if (op == nullptr || op->level < min_level) {
            c_.pos = before;
            return true;
        }
        const std::size_t column = c_.pos;
        c_.pos += std::string_view(op->text).size();
        Value right;
        if (!binary(right, op->level + 1, depth))
            return false;
        if (!apply(*op, out, right, column))
            return false;
    }
}

Tag sum_tag(const std::string_view op, Tag left, Tag right)
{
    if (op == "+")
        return left == Tag::Number ? right : right == Tag::Number ? left : Tag::Number;
    if (op == "-")
        return right == Tag::Number ? left : Tag::Number;
    return Tag::Number;
}

bool Reader::apply(const Operator& op, Value& left, const Value& right, std::size_t column)
{
    const std::string_view o(op.text);
    const auto a = static_cast<unsigned long>(left.v);
    const auto b = static_cast<unsigned long>(right.v);
    const bool known = left.known && right.known;
    long r = 0;
    if ((o == "/" || o == "%") && known && right.v == 0)
        return x_.fail(column, "division by zero.");
    if (o == "+")
        r = static_cast<long>(a + b);
    else if (o == "-")
        r = static_cast<long>(a - b);
    else if (o == "*")
        r = static_cast<long>(a * b);
    else if (o == "/")
        r = right.v == 0 || right.v == -1 ? (right.v == 0 ? 0 : static_cast<long>(0 - a)) : left.v / right.v;
    else if (o == "%")
        r = right.v == 0 || right.v == -1 ? 0 : left.v % right.v;
    else if (o == "<<")
        r = right.v < 0 || right.v > 63 ? 0 : static_cast<long>(a << right.v);
    else if (o == ">>")
        r = right.v < 0 || right.v > 62 ? (left.v < 0 ? -1 : 0) : left.v >> right.v;
    else if (o == "&")
        r = left.v & right.v;
    else if (o == "|")
        r = left.v | right.v;
    else if (o == "^")
        r = left.v ^ right.v;
    else if (o == "&&")
        r = left.v != 0 && right.v != 0;
    else if (o == "||")
        r = left.v != 0 || right.v != 0;
    else if (o == "==" || o == "=")
        r = left.v == right.v;
    else if (o == "!=" || o == "<>")
        r = left.v != right.v;
    else if (o == "<")
        r = left.v < right.v;
    else if (o == "<=")
        r = left.v <= right.v;
    else if (o == ">")
        r = left.v > right.v;
    else if (o == ">=")
        r = left.v >= right.v;
    left = {r, known, sum_tag(o, left.tag, right.tag)};
    return true;
}

// Unary - + ~ ! and the byte selectors: "<" the low byte, ">" the high byte. A ">" directly
// followed by hexadecimal digits and nothing else of a name is TI's hexadecimal number instead.
bool Reader::unary(Value& out, int depth)
{
    c_.skip_blanks();
    if (depth > kMaxDepth)
        return x_.fail(c_.pos, "expression nested too deeply.");
    const char op = c_.peek();
    const std::size_t column = c_.pos;
    if (op == '>' && is_hex(c_.peek(1))) {
        Cursor probe{c_.s, c_.pos + 1};
        while (name_char(probe.peek()))
            ++probe.pos;
        const std::string_view run = c_.s.substr(c_.pos + 1, probe.pos - c_.pos - 1);
        bool all_hex = true;
        for (const char ch : run)
            all_hex = all_hex && is_hex(ch);
        if (all_hex) {
            if (x_.defined(run))
                return x_.fail(column, "'>" + std::string(run) + "' is ambiguous: write >0" + std::string(run) +
                                           " for the number or HIGH(" + std::string(run) + ") for the high byte.");
            ++c_.pos;
            return prefixed(out, 16, column);
        }
    }
    if (op != '-' && op != '+' && op != '~' && op != '!' && op != '<' && op != '>')
        return primary(out, depth);
    ++c_.pos;
    if (!unary(out, depth + 1))
        return false;
    const long v = out.v;
    out.tag = op == '+' ? out.tag : Tag::Number;
    switch (op) {
    case '-': out.v = static_cast<long>(0 - static_cast<unsigned long>(v)); break;
    case '~': out.v = ~v; break;
    case '!': out.v = v == 0; break;
    case '<': out.v = v & 0xFF; break;
    case '>': out.v = (v >> 8) & 0xFF; break;
    default: break;
    }
    return true;
}

bool Reader::primary(Value& out, int depth)
{
    c_.skip_blanks();
    const std::size_t column = c_.pos;
    const char ch = c_.peek();
    if (ch == '(') {
        ++c_.pos;
        if (!binary(out, 1, depth + 1))
            return false;
        c_.skip_blanks();
        if (c_.peek() != ')')
            return x_.fail(c_.pos, "expected ')'.");
        ++c_.pos;
        return true;
    }
    if (ch == '$' && c_.peek(1) == '$')
        return name(out, depth);
    if (ch == '$' && is_hex(c_.peek(1))) {
        ++c_.pos;
        return prefixed(out, 16, column);
    }
    if (ch == '$' || (ch == '*' && !name_char(c_.peek(1)))) {
        ++c_.pos;
        out = {x_.here(), true, Tag::Number};
        return true;
    }
    if (ch == '?' && (c_.peek(1) == '0' || c_.peek(1) == '1')) {
        ++c_.pos;
        return prefixed(out, 2, column);
    }
    if (is_digit(ch))
        return number(out);
    if (ch == '\'' || ch == '"')
        return character(out);
    if (name_start(ch) || ch == '.')
        return name(out, depth);
    if (c_.at_end())
        return x_.fail(column, "expected a value.");
    return x_.fail(column, "expected a value, found " + quote(std::string_view(&c_.s[c_.pos], 1)) + ".");
}

bool Reader::number(Value& out)
{
    const std::size_t column = c_.pos;
    while (name_char(c_.peek()))
        ++c_.pos;
    const std::string_view t = c_.s.substr(column, c_.pos - column);
    unsigned long v = 0;
    bool too_large = false;
    if (!token_value(t, v, too_large))
        return x_.fail(column, "bad number '" + std::string(t) + "'.");
    if (too_large)
        return x_.fail(column, "number too large.");
    out = {static_cast<long>(v), true, Tag::Number};
    return true;
}

// $hex, >hex and ?binary: the digits after the prefix at column.
bool Reader::prefixed(Value& out, int base, std::size_t column)
{
    const std::size_t start = c_.pos;
    while (name_char(c_.peek()))
        ++c_.pos;
    unsigned long v = 0;
    bool too_large = false;
    if (!digits_value(c_.s.substr(start, c_.pos - start), base, v, too_large))
        return x_.fail(column, "bad number '" + std::string(c_.s.substr(column, c_.pos - column)) + "'.");
    if (too_large)
        return x_.fail(column, "number too large.");
    out = {static_cast<long>(v), true, Tag::Number};
    return true;
}

// 'A' is 41h, 'AB' 4142h: up to four characters, the first in the highest byte.
bool Reader::character(Value& out)
{
    std::string bytes, error;
    std::size_t column = c_.pos;
    if (!read_quoted(c_, bytes, error, column))
        return x_.fail(column, error);
    if (bytes.empty() || bytes.size() > 4)
        return x_.fail(column, "a character constant holds 1 to 4 characters.");
    unsigned long v = 0;
    for (const char b : bytes)
        v = v << 8 | static_cast<unsigned char>(b);
    out = {static_cast<long>(v), true, Tag::Number};
    return true;
}

bool Reader::name(Value& out, int depth)
{
    const std::size_t column = c_.pos;
    std::string_view text = read_name(c_);
    if (c_.peek() == '(') {
        bool handled = false;
        const bool ok = call(text, column, out, depth, handled);
        if (handled)
            return ok;
    }
    // The machine's register names ending in -1 (SUICOM-1) are names of their own, unless the
    // source defines the name before the "-1" itself.
    if (c_.peek() == '-' && c_.peek(1) == '1' && !name_char(c_.peek(2))) {
        const std::string joined = std::string(text) + "-1";
        if (x_.defined(joined)) {
            c_.pos += 2;
            return x_.lookup(joined, column, out);
        }
    }
    return x_.lookup(text, column, out);
}

// name(arg, ...): a user function first, then HIGH/HI and LOW/LO. handled stays false when the
// name is none of them (then "(" is left for the caller, as in TABLE(B)).
bool Reader::call(std::string_view name, std::size_t column, Value& out, int depth, bool& handled)
{
    const std::string u = upper(name);
    const bool builtin = u == "HIGH" || u == "HI" || u == "LOW" || u == "LO";
    Value probe;
    bool failed = false;
    if (!builtin && !x_.call(name, nullptr, kMaxArgs + 1, column, probe, failed))
        return false;  // not a function: handled stays false
    handled = true;
    ++c_.pos;
    std::vector<Value> args;
    c_.skip_blanks();
    if (c_.peek() != ')') {
        for (;;) {
            Value v;
            if (!binary(v, 1, depth + 1))
                return false;
            args.push_back(v);
            c_.skip_blanks();
            if (c_.peek() != ',')
                break;
            ++c_.pos;
        }
    }
    if (c_.peek() != ')')
        return x_.fail(c_.pos, "expected ')'.");
    ++c_.pos;
    if (args.size() > kMaxArgs)
        return x_.fail(column, "too many arguments.");
    if (x_.call(name, args.data(), args.size(), column, out, failed))
        return true;
    if (failed)
        return false;
    if (args.size() != 1)
        return x_.fail(column, u + " takes one argument.");
    out = {u[0] == 'H' ? (args[0].v >> 8) & 0xFF : args[0].v & 0xFF, args[0].known, Tag::Number};
    return true;
}

bool escape(Cursor& c, std::string& bytes)
{
    const char e = c.peek();
    ++c.pos;
    switch (e) {
    case 'n': bytes += '\n'; return true;
    case 'r': bytes += '\r'; return true;
    case 't': bytes += '\t'; return true;
    case '0': bytes += '\0'; return true;
    case '\\':
    case '\'':
    case '"': bytes += e; return true;
    case 'x':
    case 'X':
        if (is_hex(c.peek()) && is_hex(c.peek(1))) {
            bytes += static_cast<char>(digit_value(c.peek()) * 16 + digit_value(c.peek(1)));
            c.pos += 2;
            return true;
        }
        return false;
    default: return false;
    }
}

}  // namespace

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// ASCII only, without the C library's locale: names are read on every line.
bool name_start(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool name_char(char c)
{
    return name_start(c) || (c >= '0' && c <= '9');
}

std::string_view read_name(Cursor& c)
{
    const std::size_t start = c.pos;
    if (c.peek() == '$' && c.peek(1) == '$' && name_char(c.peek(2)))
        c.pos += 2;
    else if (c.peek() == '.' && name_start(c.peek(1)))
        c.pos += 1;
    else if (!name_start(c.peek()))
        return {};
    while (name_char(c.peek()))
        ++c.pos;
    return c.s.substr(start, c.pos - start);
}

bool read_quoted(Cursor& c, std::string& bytes, std::string& error, std::size_t& column)
{
    const char quote = c.peek();
    column = c.pos;
    ++c.pos;
    for (;;) {
        if (c.pos >= c.s.size()) {
            error = "string without its closing quote.";
            return false;
        }
        const char ch = c.s[c.pos];
        if (ch == quote) {
            ++c.pos;
            return true;
        }
        if (ch == '\\') {
            const std::size_t at = c.pos;
            ++c.pos;
            if (!escape(c, bytes)) {
                column = at;
                error = "unknown escape in a string: write \\n, \\r, \\t, \\0, \\\\, \\', \\\" or \\xNN.";
                return false;
            }
            continue;
        }
        bytes += ch;
        ++c.pos;
    }
}

bool read_expression(Cursor& c, Context& context, Value& out)
{
    return Reader(c, context).binary(out, 1, 0);
}

}  // namespace kodasm
