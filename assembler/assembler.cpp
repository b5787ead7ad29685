// Two passes over the source: the first fixes the length of every line and the address of every
// label, the second evaluates the operands and writes the bytes. A line that fails in the first
// pass is left out of the second, so each fault is reported once.
#include "assembler.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "encoding.h"
#include "opcode_map.h"
#include "registers.h"

namespace kodasm {

namespace {

// The source's lines, without their line ends (a CR before the LF included).
std::vector<std::string_view> split_lines(const std::string& text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view l(text.data() + start, end - start);
        if (!l.empty() && l.back() == '\r')
            l.remove_suffix(1);
        lines.push_back(l);
        start = end + 1;
    }
    return lines;
}

constexpr long kMemorySize = 0x10000;
constexpr int kMaxDepth = 64;  // parentheses and unary operators nested in one expression

enum class SymbolType { Number, Register, Port };

struct Symbol {
    SymbolType type = SymbolType::Number;
    long value = 0;
    bool known = false;  // an EQU whose value waits for a later label
    int line = 0;
};

struct Value {
    long v = 0;
    bool known = true;
};

bool word_start(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool word_char(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string hex4(long v)
{
    char text[16];
    std::snprintf(text, sizeof text, "$%04lX", static_cast<unsigned long>(v) & 0xFFFFul);
    return text;
}

// A, B, ST, the register names, Rn and Pn cannot name a label: operands would read them as registers.
bool reserved(const std::string& name)
{
    const std::string u = upper(name);
    return u == "A" || u == "B" || u == "ST" || register_number(u) >= 0 || port_number(u) >= 0;
}

class Assembler {
public:
    explicit Assembler(const std::string& text);
    Assembly run();

private:
    // One pass over every line.
    void pass(int number);
    void line(std::size_t index);
    void resolve_pending();

    // Parsing within the current line.
    char peek(std::size_t ahead = 0) const { return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : '\0'; }
    void skip_blanks();
    bool at_end();
    std::string_view word();
    bool fail(std::size_t column, const std::string& message);

    bool expression(Value& out, int depth = 0);
    bool term(Value& out, int depth);
    bool primary(Value& out, int depth);
    bool number(Value& out);
    bool symbol_value(std::string_view name, std::size_t column, Value& out);
    bool register_word(Operand& op);
    bool operand(Operand& op);
    bool in_range(const Value& v, long low, long high, std::size_t column, const char* what);

    bool define(const std::string& name, std::size_t column, const Symbol& symbol);
    bool equ(const std::string& name, std::size_t name_column);
    bool org();
    bool data(const std::string& keyword, std::size_t column);
    bool instruction(const std::string& mnemonic, std::size_t column);
    bool emit(const unsigned char* bytes, long count, std::size_t column);

    std::vector<std::string_view> lines_;
    std::unordered_map<std::string, Symbol> symbols_;
    std::unordered_set<std::string> used_early_;  // names read in the first pass before their definition
    std::vector<std::size_t> pending_;            // EQU lines whose value was unknown in the first pass
    std::vector<bool> failed_;
    std::vector<long> end_;  // the address after each line, from the first pass
    std::vector<Diagnostic> errors_;
    std::vector<int> owner_;             // the line that assembled each address, 0 for none
    std::vector<unsigned char> memory_;  // the whole address space
    long first_ = kMemorySize;           // lowest and highest address assembled
    long last_ = -1;

    int pass_ = 1;
    long here_ = 0;   // address of the next byte
    long start_ = 0;  // address of the current line's first byte, the value of a lone $
    std::size_t index_ = 0;
    std::string_view s_;
    std::size_t pos_ = 0;
    bool line_failed_ = false;
};

Assembler::Assembler(const std::string& text)
    : lines_(split_lines(text)), owner_(kMemorySize, 0), memory_(kMemorySize, 0xFF)
{
    failed_.assign(lines_.size(), false);
    end_.assign(lines_.size(), 0);
}

Assembly Assembler::run()
{
    pass(1);
    resolve_pending();
    pass(2);
    Assembly result;
    std::stable_sort(errors_.begin(), errors_.end(), [](const Diagnostic& x, const Diagnostic& y) {
        return x.line != y.line ? x.line < y.line : x.column < y.column;
    });
    result.errors = errors_;
    if (!errors_.empty())
        return result;
    if (last_ < 0) {
        result.errors.push_back({0, 0, "nothing to assemble."});
        return result;
    }
    result.origin = static_cast<std::uint32_t>(first_);
    result.bytes.assign(memory_.begin() + first_, memory_.begin() + last_ + 1);
    return result;
}

void Assembler::pass(int number)
{
    pass_ = number;
    here_ = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (pass_ == 2 && failed_[i]) {
            here_ = end_[i];
            continue;
        }
        line(i);
        // A line that fails in the second pass keeps its length, so the lines after it stay put.
        if (pass_ == 1)
            end_[i] = here_;
        else if (line_failed_)
            here_ = end_[i];
    }
}

// EQUs that named a later label get their value now, in as many rounds as their chain needs.
// Each round goes from the last to the first, so that a chain written top-down (X EQU Y+1,
// Y EQU Z+1, ...) takes one round, not one per link.
void Assembler::resolve_pending()
{
    bool progress = true;
    while (progress && !pending_.empty()) {
        progress = false;
        std::vector<std::size_t> left;
        for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) {
            index_ = *it;
            s_ = lines_[index_];
            pos_ = 0;
            skip_blanks();
            const std::string name(word());
            skip_blanks();
            if (peek() == ':')
                ++pos_;
            skip_blanks();
            word();  // EQU
            Value v;
            line_failed_ = false;
            if (expression(v) && v.known) {
                Symbol& symbol = symbols_[name];
                symbol.value = v.v;
                symbol.known = true;
                progress = true;
            } else {
                left.push_back(index_);
            }
        }
        pending_.assign(left.rbegin(), left.rend());
    }
}

void Assembler::skip_blanks()
{
    while (peek() == ' ' || peek() == '\t')
        ++pos_;
}

bool Assembler::at_end()
{
    skip_blanks();
    return pos_ >= s_.size() || s_[pos_] == ';';
}

std::string_view Assembler::word()
{
    const std::size_t start = pos_;
    if (word_start(peek()))
        while (word_char(peek()))
            ++pos_;
    return s_.substr(start, pos_ - start);
}

bool Assembler::fail(std::size_t column, const std::string& message)
{
    if (!line_failed_)
        errors_.push_back({static_cast<int>(index_ + 1), column + 1, message});
    line_failed_ = true;
    if (pass_ == 1)
        failed_[index_] = true;
    return false;
}

// expression := term { ("+" | "-") term }
bool Assembler::expression(Value& out, int depth)
{
    if (!term(out, depth))
        return false;
    for (;;) {
        skip_blanks();
        const char op = peek();
        if (op != '+' && op != '-')
            return true;
        ++pos_;
        Value right;
        if (!term(right, depth))
            return false;
        out.v = op == '+' ? out.v + right.v : out.v - right.v;
        out.known = out.known && right.known;
    }
}

// term := ("-" | "+" | "<" | ">") term | primary; "<" is the low byte, ">" the high byte.
bool Assembler::term(Value& out, int depth)
{
    skip_blanks();
    if (depth > kMaxDepth)
        return fail(pos_, "expression nested too deeply.");
    const char op = peek();
    if (op != '-' && op != '+' && op != '<' && op != '>')
        return primary(out, depth);
    ++pos_;
    if (!term(out, depth + 1))
        return false;
    if (op == '-')
        out.v = -out.v;
    else if (op == '<')
        out.v &= 0xFF;
    else if (op == '>')
        out.v = (out.v >> 8) & 0xFF;
    return true;
}

// primary := number | label | "(" expression ")" | "$" (the address of the line)
bool Assembler::primary(Value& out, int depth)
{
    skip_blanks();
    const std::size_t column = pos_;
    const char c = peek();
    if (c == '(') {
        ++pos_;
        if (!expression(out, depth + 1))
            return false;
        skip_blanks();
        if (peek() != ')')
            return fail(pos_, "expected ')'.");
        ++pos_;
        return true;
    }
    if (c == '$' && !std::isxdigit(static_cast<unsigned char>(peek(1)))) {
        ++pos_;
        out = {start_, true};
        return true;
    }
    if (c == '$' || std::isdigit(static_cast<unsigned char>(c)))
        return number(out);
    if (word_start(c))
        return symbol_value(word(), column, out);
    if (pos_ >= s_.size() || c == ';')
        return fail(column, "expected a value.");
    return fail(column, std::string("expected a value, found '") + c + "'.");
}

// $hex, 0xhex or decimal, at most 32 bits.
bool Assembler::number(Value& out)
{
    const std::size_t column = pos_;
    int base = 10;
    if (peek() == '$') {
        base = 16;
        ++pos_;
    } else if (peek() == '0' && (peek(1) == 'x' || peek(1) == 'X') &&
               std::isxdigit(static_cast<unsigned char>(peek(2)))) {
        base = 16;
        pos_ += 2;
    }
    unsigned long v = 0;
    bool too_large = false;
    while (word_char(peek())) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(peek())));
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : c >= 'A' && c <= 'F'                      ? c - 'A' + 10
                                                                      : 99;
        if (digit >= base)
            return fail(column, "bad number '" + std::string(s_.substr(column, pos_ + 1 - column)) + "'.");
        v = v * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit);
        too_large = too_large || v > 0xFFFFFFFFul;
        ++pos_;
    }
    if (too_large)
        return fail(column, "number too large.");
    out = {static_cast<long>(v), true};
    return true;
}

bool Assembler::symbol_value(std::string_view name, std::size_t column, Value& out)
{
    const std::string key(name);
    const auto found = symbols_.find(key);
    if (found == symbols_.end()) {
        if (reserved(key))
            return fail(column, "'" + key + "' is a register, not a value.");
        if (pass_ == 1) {
            used_early_.insert(key);
            out = {0, false};
            return true;
        }
        return fail(column, "undefined label '" + key + "'.");
    }
    const Symbol& symbol = found->second;
    if (symbol.type != SymbolType::Number)
        return fail(column, "'" + key + "' is a register, not a value.");
    if (!symbol.known && pass_ == 2)
        return fail(column, "label '" + key + "' has no value: its definition depends on itself.");
    out = {symbol.value, symbol.known};
    return true;
}

// A, B, ST, a register name (SUICOM-1 is one name, not SUICOM minus 1), Rn, Pn, or a register or
// port symbol. Leaves the position alone when the text is none of these.
bool Assembler::register_word(Operand& op)
{
    const std::size_t start = pos_;
    std::string text(word());
    if (text.empty())
        return false;
    std::string u = upper(text);
    if (peek() == '-' && peek(1) == '1' && !word_char(peek(2)) && register_number(u + "-1") >= 0) {
        pos_ += 2;
        u += "-1";
    }
    int n;
    if (u == "A") {
        op.form = Form::A;
        op.value = 0;
    } else if (u == "B") {
        op.form = Form::B;
        op.value = 1;
    } else if (u == "ST") {
        op.form = Form::Status;
    } else if ((n = register_number(u)) >= 0) {
        op.form = Form::Reg;
        op.value = n;
    } else if ((n = port_number(u)) >= 0) {
        op.form = Form::Port;
        op.value = n;
    } else {
        const auto found = symbols_.find(text);
        if (found == symbols_.end() || found->second.type == SymbolType::Number) {
            pos_ = start;
            return false;
        }
        op.form = found->second.type == SymbolType::Register ? Form::Reg : Form::Port;
        op.value = found->second.value;
    }
    op.known = true;
    return true;
}

bool Assembler::operand(Operand& op)
{
    skip_blanks();
    op.column = pos_;
    Value v;
    switch (peek()) {
    case '%':
        ++pos_;
        op.form = Form::Imm;
        break;
    case '@': {
        ++pos_;
        if (!expression(v))
            return false;
        skip_blanks();
        const std::size_t save = pos_;
        op.form = Form::Direct;
        if (peek() == '(') {
            ++pos_;
            skip_blanks();
            if (peek() == 'B' || peek() == 'b') {
                ++pos_;
                skip_blanks();
                if (peek() == ')') {
                    ++pos_;
                    op.form = Form::Indexed;
                }
            }
            if (op.form != Form::Indexed)
                pos_ = save;
        }
        op.value = v.v;
        op.known = v.known;
        return true;
    }
    case '*': {
        ++pos_;
        skip_blanks();
        Operand reg;
        if (!register_word(reg) || (reg.form != Form::Reg && reg.form != Form::A && reg.form != Form::B))
            return fail(pos_, "expected a register after '*'.");
        op.form = Form::Indirect;
        op.value = reg.value;
        return true;
    }
    default:
        if (register_word(op)) {
            const std::string text(s_.substr(op.column, pos_ - op.column));
            skip_blanks();
            if (peek() == '+' || peek() == '-')  // SUICOM-1 is a name of its own; SUICOM - 1 is no value
                return fail(op.column, "'" + text + "' is a register, not a value.");
            return true;
        }
        op.form = Form::Value;
        break;
    }
    if (!expression(v))
        return false;
    op.value = v.v;
    op.known = v.known;
    return true;
}

bool Assembler::in_range(const Value& v, long low, long high, std::size_t column, const char* what)
{
    if (v.v >= low && v.v <= high)
        return true;
    return fail(column, "value " + std::to_string(v.v) + " does not fit " + what + ".");
}

bool Assembler::define(const std::string& name, std::size_t column, const Symbol& symbol)
{
    if (pass_ == 2)
        return true;
    if (reserved(name))
        return fail(column, "'" + name + "' is a register name and cannot be a label.");
    const auto found = symbols_.find(name);
    if (found != symbols_.end())
        return fail(column, "duplicate label '" + name + "', first defined on line " +
                                std::to_string(found->second.line) + ".");
    if (symbol.type != SymbolType::Number && used_early_.count(name))
        return fail(column, "register name '" + name + "' is used before its EQU.");
    symbols_.emplace(name, symbol);
    return true;
}

void Assembler::line(std::size_t index)
{
    index_ = index;
    s_ = lines_[index];
    pos_ = 0;
    line_failed_ = false;
    start_ = here_;
    if (at_end())
        return;
    std::size_t column = pos_;
    std::string label;
    std::size_t label_column = 0;
    std::string keyword(word());
    if (keyword.empty()) {
        fail(column, "expected a label or a mnemonic.");
        return;
    }
    skip_blanks();
    if (peek() == ':') {
        ++pos_;
        label = keyword;
        label_column = column;
        if (at_end()) {
            define(label, label_column, {SymbolType::Number, here_, true, static_cast<int>(index + 1)});
            return;
        }
        column = pos_;
        keyword = std::string(word());
        if (keyword.empty()) {
            fail(column, "expected a mnemonic.");
            return;
        }
    } else {
        const std::size_t save = pos_;
        if (upper(word()) == "EQU") {
            equ(keyword, column);
            return;
        }
        pos_ = save;
    }
    const std::string u = upper(keyword);
    if (u == "EQU") {
        if (label.empty())
            fail(column, "EQU needs a name before it.");
        else
            equ(label, label_column);
        return;
    }
    if (u == "ORG") {  // a label on an ORG line names the new address
        if (org() && !label.empty())
            define(label, label_column, {SymbolType::Number, here_, true, static_cast<int>(index + 1)});
        return;
    }
    if (!label.empty() && !define(label, label_column, {SymbolType::Number, here_, true, static_cast<int>(index + 1)}))
        return;
    if (u == "BYTE" || u == "WORD" || u == "TEXT")
        data(u, column);
    else
        instruction(u, column);
}

bool Assembler::equ(const std::string& name, std::size_t name_column)
{
    skip_blanks();
    Symbol symbol;
    symbol.line = static_cast<int>(index_ + 1);
    Operand reg;
    if (register_word(reg)) {
        if (reg.form == Form::Status)
            return fail(name_column, "ST cannot be given a name.");
        symbol.type = reg.form == Form::Port ? SymbolType::Port : SymbolType::Register;
        symbol.value = reg.value;
        symbol.known = true;
    } else {
        Value v;
        if (!expression(v))
            return false;
        symbol.value = v.v;
        symbol.known = v.known;
    }
    if (!at_end())
        return fail(pos_, "unexpected text after the value.");
    if (pass_ == 2)
        return true;
    if (!define(name, name_column, symbol))
        return false;
    if (!symbol.known)
        pending_.push_back(index_);
    return true;
}

// ORG: the address of the next byte; its value must be known when the line is reached.
bool Assembler::org()
{
    Value v;
    skip_blanks();
    const std::size_t value_column = pos_;
    if (!expression(v))
        return false;
    if (!at_end())
        return fail(pos_, "unexpected text after the value.");
    if (!v.known)
        return fail(value_column, "ORG needs a value defined on an earlier line.");
    if (v.v < 0 || v.v >= kMemorySize)
        return fail(value_column, "ORG address " + std::to_string(v.v) + " lies outside $0000 to $FFFF.");
    here_ = v.v;
    start_ = here_;
    return true;
}

// BYTE and TEXT take values of 8 bits and strings in double quotes; WORD takes 16-bit values,
// written high byte first.
bool Assembler::data(const std::string& keyword, std::size_t keyword_column)
{
    const bool words = keyword == "WORD";
    std::vector<unsigned char> bytes;
    if (at_end())
        return fail(pos_, keyword + " needs at least one value.");
    for (;;) {
        skip_blanks();
        const std::size_t column = pos_;
        if (peek() == '"' && !words) {
            const std::size_t close = s_.find('"', pos_ + 1);
            if (close == std::string_view::npos)
                return fail(column, "string without its closing quote.");
            for (std::size_t i = pos_ + 1; i < close; ++i)
                bytes.push_back(static_cast<unsigned char>(s_[i]));
            pos_ = close + 1;
        } else {
            Value v;
            if (!expression(v))
                return false;
            if (pass_ == 2 && !in_range(v, words ? -32768 : -128, words ? 65535 : 255, column,
                                        words ? "16 bits (-32768 to 65535)" : "8 bits (-128 to 255)"))
                return false;
            if (words)
                bytes.push_back(static_cast<unsigned char>((v.v >> 8) & 0xFF));
            bytes.push_back(static_cast<unsigned char>(v.v & 0xFF));
        }
        if (at_end())
            break;
        if (peek() != ',')
            return fail(pos_, "expected ',' or the end of the line.");
        ++pos_;
    }
    return emit(bytes.data(), static_cast<long>(bytes.size()), keyword_column);
}

bool Assembler::instruction(const std::string& mnemonic, std::size_t column)
{
    int m = find_mnemonic(mnemonic);
    if (m < 0)
        return fail(column, "unknown mnemonic '" + mnemonic + "'.");
    std::vector<Operand> operands;
    if (!at_end()) {
        for (;;) {
            Operand op;
            if (!operand(op))
                return false;
            operands.push_back(op);
            if (at_end())
                break;
            if (peek() != ',')
                return fail(pos_, "expected ',' or the end of the line.");
            ++pos_;
        }
    }
    // WVDP x is MOVP x,P46, the video write.
    if (m == koddar::WVDP) {
        m = koddar::MOVP;
        Operand video;
        video.form = Form::Port;
        video.value = 46;
        operands.push_back(video);
        if (operands.size() != 2)
            return fail(column, "WVDP takes one operand: A, B or an immediate byte.");
    }
    const int code = choose_opcode(m, operands);
    if (code < 0)
        return fail(column, "no form of " + upper(mnemonic) + " takes these operands.");
    const long length = instruction_length(static_cast<unsigned>(code));
    unsigned char bytes[4] = {static_cast<unsigned char>(code), 0, 0, 0};
    if (pass_ == 2) {
        const koddar::Opcode& entry = koddar::opcode_map[code];
        const int kinds[3] = {entry.p1, entry.p2, entry.p3};
        long at = 1;
        for (std::size_t i = 0; i < operands.size(); ++i) {
            const Operand& op = operands[i];
            const Value v{op.value, true};
            switch (kinds[i]) {
            case koddar::K_REG:
            case koddar::K_PORT:
            case koddar::K_INDIRECT: bytes[at++] = static_cast<unsigned char>(op.value); break;
            case koddar::K_IMM8:
                if (!in_range(v, -128, 255, op.column, "8 bits (-128 to 255)"))
                    return false;
                bytes[at++] = static_cast<unsigned char>(op.value & 0xFF);
                break;
            case koddar::K_IMM16:
            case koddar::K_ADDR:
            case koddar::K_DIRECT:
            case koddar::K_INDEXED:
                if (!in_range(v, -32768, 65535, op.column, "16 bits (-32768 to 65535)"))
                    return false;
                bytes[at++] = static_cast<unsigned char>((op.value >> 8) & 0xFF);
                bytes[at++] = static_cast<unsigned char>(op.value & 0xFF);
                break;
            case koddar::K_REL: {
                if (!in_range(v, -32768, 65535, op.column, "16 bits (-32768 to 65535)"))
                    return false;
                // The program counter has 16 bits, so a branch wraps around the address space.
                long d = (op.value - (here_ + length)) & 0xFFFF;
                if (d >= 0x8000)
                    d -= 0x10000;
                if (d < -128 || d > 127)
                    return fail(op.column, "branch target " + hex4(op.value) + " is out of reach: " +
                                               std::to_string(d) + " bytes away, the limit is -128 to 127.");
                bytes[at++] = static_cast<unsigned char>(d & 0xFF);
                break;
            }
            default: break;  // A, B, ST and TRAP numbers are in the opcode
            }
        }
    }
    return emit(bytes, length, column);
}

// Places the bytes of a line at the current address (in the second pass) and moves past them.
bool Assembler::emit(const unsigned char* bytes, long count, std::size_t column)
{
    if (here_ + count > kMemorySize)
        return fail(column, "the line does not fit below $10000.");
    if (pass_ == 2) {
        for (long i = 0; i < count; ++i) {
            const auto at = static_cast<std::size_t>(here_ + i);
            if (owner_[at] != 0)
                return fail(column, "address " + hex4(here_ + i) + " is already assembled, on line " +
                                        std::to_string(owner_[at]) + ".");
        }
        for (long i = 0; i < count; ++i) {
            const auto at = static_cast<std::size_t>(here_ + i);
            owner_[at] = static_cast<int>(index_ + 1);
            memory_[at] = bytes[i];
        }
        if (count > 0) {
            first_ = std::min(first_, here_);
            last_ = std::max(last_, here_ + count - 1);
        }
    }
    here_ += count;
    return true;
}

}  // namespace

Assembly assemble(const std::string& text)
{
    return Assembler(text).run();
}

std::string format_errors(const std::string& file, const std::string& text, const std::vector<Diagnostic>& errors)
{
    const std::vector<std::string_view> lines = split_lines(text);
    std::string out;
    for (const Diagnostic& d : errors) {
        if (d.line <= 0 || static_cast<std::size_t>(d.line) > lines.size()) {
            out += file + ": " + d.message + "\n";
            continue;
        }
        out += file + ":" + std::to_string(d.line) + ":" + std::to_string(d.column) + ": " + d.message + "\n";
        const std::string_view l = lines[static_cast<std::size_t>(d.line - 1)];
        out.append(l.data(), l.size());
        out += '\n';
        for (std::size_t i = 0; i + 1 < d.column && i < l.size(); ++i)
            out += l[i] == '\t' ? '\t' : ' ';
        out += "^\n";
    }
    return out;
}

}  // namespace kodasm
