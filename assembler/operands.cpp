// The operand forms of the manuals and of koddar's listing: "@" may be left out before a direct
// or indexed address, "#" stands for "%", and a register or port may be any expression that
// names one (COUNT-1, P4, 0104h).
#include "operands.h"

namespace kodasm {

namespace {

// A, B or ST standing alone as an operand; the cursor is left alone otherwise.
bool fixed_register(Cursor& c, Operand& op)
{
    Cursor probe = c;
    const std::string_view word = read_name(probe);
    if (word.empty() || word.size() > 2)
        return false;
    const char next = probe.peek();
    if (next != '\0' && next != ',' && next != ' ' && next != '\t' && next != ';')
        return false;
    const auto up = [](char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; };
    const char first = up(word[0]);
    if (word.size() == 1 && first == 'A')
        op.form = Form::A, op.value = 0;
    else if (word.size() == 1 && first == 'B')
        op.form = Form::B, op.value = 1;
    else if (word.size() == 2 && first == 'S' && up(word[1]) == 'T')
        op.form = Form::Status;
    else
        return false;
    c = probe;
    return true;
}

// "(B)" after an address, blanks allowed inside; the cursor is left alone otherwise.
bool indexed_by_b(Cursor& c)
{
    Cursor probe = c;
    probe.skip_blanks();
    if (probe.peek() != '(')
        return false;
    ++probe.pos;
    probe.skip_blanks();
    if (probe.peek() != 'B' && probe.peek() != 'b')
        return false;
    ++probe.pos;
    probe.skip_blanks();
    if (probe.peek() != ')')
        return false;
    c.pos = probe.pos + 1;
    return true;
}

void take(Operand& op, const Value& v)
{
    op.value = v.v;
    op.known = v.known;
}

}  // namespace

bool read_operand(Cursor& c, Context& context, Operand& op)
{
    c.skip_blanks();
    op.column = c.pos;
    if (fixed_register(c, op))
        return true;
    Value v;
    const char first = c.peek();
    if (first == '%' || first == '#') {
        ++c.pos;
        if (!read_expression(c, context, v))
            return false;
        op.form = Form::Imm;
        take(op, v);
        return true;
    }
    if (first == '@') {
        ++c.pos;
        if (!read_expression(c, context, v))
            return false;
        op.form = indexed_by_b(c) ? Form::Indexed : Form::Direct;
        take(op, v);
        return true;
    }
    if (first == '*' && (name_char(c.peek(1)) || c.peek(1) == '(')) {
        ++c.pos;
        const std::size_t column = c.pos;
        if (fixed_register(c, op)) {
            op.form = Form::Indirect;
            return true;
        }
        if (!read_expression(c, context, v))
            return false;
        if (v.tag == Tag::Port || (v.known && (v.v < 0 || v.v > 255)))
            return context.fail(column, "expected a register after '*'.");
        op.form = Form::Indirect;
        take(op, v);
        return true;
    }
    if (!read_expression(c, context, v))
        return false;
    take(op, v);
    if (indexed_by_b(c))
        op.form = Form::Indexed;
    else
        op.form = v.tag == Tag::Register ? Form::Reg : v.tag == Tag::Port ? Form::Port : Form::Value;
    return true;
}

}  // namespace kodasm
