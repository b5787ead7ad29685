// Two passes over the source: the first fixes the length of every statement and the address of
// every label, the second evaluates the operands and writes the bytes. Statements are counted
// in the order they are met, through includes, macros and repetitions alike, and both passes
// meet them in the same order: a statement that fails in the first pass is left out of the
// second, so each fault is reported once.
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core.h"
#include "hex_text.h"
#include "registers.h"

namespace kodasm {

namespace {

bool local_name(std::string_view name)
{
    return (!name.empty() && name[0] == '.') || name.substr(0, 2) == "$$";
}

// Words that start a statement of their own, so that in column 1 they are not read as labels.
bool keyword(const std::string& u)
{
    return directive_word(u) || find_mnemonic(u) >= 0;
}

// The words after a name that make it the name being defined rather than a label.
bool defining_word(const std::string& u)
{
    return u == "EQU" || u == "SET" || u == "MACRO" || u == "FUNCTION";
}

// A, B and ST are operand forms, never names; Rn, Pn and the machine's register names may not
// name an address either, but the source may EQU them (P0 EQU 0100h).
bool operand_word(const std::string& u)
{
    return u == "A" || u == "B" || u == "ST";
}

bool builtin(const std::string& u)
{
    return register_number(u) >= 0 || port_number(u) >= 0;
}

}  // namespace

Assembler::Assembler(const std::string& text, const Options& options)
    : options_(options), owner_(kMemorySize, 0), memory_(kMemorySize, 0xFF)
{
    sources_.add_main(options.path, text);
}

Assembly Assembler::run()
{
    pass(1);
    if (errors_.size() < kMaxErrors) {
        resolve_pending();
        pass(2);
    }
    return result();
}

Assembly Assembler::result()
{
    Assembly out;
    const auto by_order = [](const Diagnostic& x, const Diagnostic& y) {
        return x.order != y.order ? x.order < y.order : x.column < y.column;
    };
    std::stable_sort(errors_.begin(), errors_.end(), by_order);
    out.stopped = errors_.size() >= kMaxErrors;
    if (errors_.size() > kMaxErrors)
        errors_.resize(kMaxErrors);
    out.errors = errors_;
    out.inputs = sources_.inputs();
    if (!errors_.empty())
        return out;
    if (last_ < 0) {
        Diagnostic nothing;
        nothing.message = "nothing to assemble.";
        out.errors.push_back(nothing);
        return out;
    }
    out.origin = static_cast<std::uint32_t>(first_);
    out.bytes.assign(memory_.begin() + first_, memory_.begin() + last_ + 1);
    for (long a = first_; a <= last_; ++a)
        out.assembled.push_back(owner_[static_cast<std::size_t>(a)] != 0);
    out.entry = entry_;
    out.listed = std::move(listed_);
    for (int f = 0; f < sources_.size(); ++f)
        out.files.push_back(sources_[f].name);
    for (const auto& [k, d] : symbols_) {
        if (!d.known || k.find(':') != std::string::npos)  // local and section names stay inside
            continue;
        const Symbol::Kind kind = d.label                  ? Symbol::Kind::Label
                                  : d.tag == Tag::Register ? Symbol::Kind::Register
                                  : d.tag == Tag::Port     ? Symbol::Kind::Port
                                                           : Symbol::Kind::Number;
        out.symbols.push_back({d.name, kind, d.value, d.uses});
    }
    std::sort(out.symbols.begin(), out.symbols.end(), [](const Symbol& x, const Symbol& y) { return x.name < y.name; });
    return out;
}

void Assembler::pass(int number)
{
    pass_ = number;
    processor_ = options_.processor;
    here_ = 0;
    order_ = 0;
    current_ = 0;
    expanded_ = 0;
    expansions_ = 0;
    sections_made_ = 0;
    sections_.clear();
    scope_.clear();
    conditions_.clear();
    capture_.reset();
    ended_ = false;
    feed_file(0);
    if (ended_ || pass_ == 2)
        return;
    origin_ = {0, 0, {}};
    if (capture_)
        errors_.push_back(diagnostic(0, capture_->macro ? "MACRO without its ENDM." : "REPT without its ENDM."));
    if (!conditions_.empty())
        errors_.push_back(diagnostic(0, "IF without its ENDIF (" + conditions_.back().where + ")."));
    if (!sections_.empty())
        errors_.push_back(diagnostic(0, "SECTION without its ENDSECTION."));
    capture_.reset();
}

void Assembler::feed_file(int file)
{
    include_stack_.push_back(file);
    const std::vector<std::string_view>& lines = sources_[file].lines;
    for (std::size_t i = 0; i < lines.size() && !ended_; ++i)
        feed(lines[i], {file, static_cast<int>(i + 1), {}});
    include_stack_.pop_back();
}

// EQUs that named a later label get their value now, in as many rounds as their chain needs.
// Each round goes from the last to the first, so that a chain written top-down (X EQU Y+1,
// Y EQU Z+1, ...) takes one round, not one per link.
void Assembler::resolve_pending()
{
    bool progress = true;
    while (progress && !pending_.empty()) {
        progress = false;
        std::vector<Pending> left;
        for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) {
            scope_ = it->scope;
            sections_ = it->sections;
            c_ = {it->text, it->column};
            line_failed_ = false;
            Value v;
            const std::size_t errors = errors_.size();
            if (read_expression(c_, *this, v) && v.known) {
                Defined& d = symbols_[it->key];
                d.value = v.v;
                d.tag = v.tag;
                d.known = true;
                progress = true;
            } else {
                errors_.resize(errors);  // the second pass reports it, with its position
                left.push_back(*it);
            }
        }
        pending_.assign(left.rbegin(), left.rend());
    }
    scope_.clear();
    sections_.clear();
}

Diagnostic Assembler::diagnostic(std::size_t column, const std::string& message) const
{
    Diagnostic d;
    d.line = origin_.line;
    d.column = (in_function_ > 0 ? function_column_ : column) + 1;
    d.message = message;
    d.file = origin_.file == 0 ? std::string() : sources_[origin_.file].name;
    d.source = std::string(c_.s);
    for (auto it = contexts_.rbegin(); it != contexts_.rend(); ++it)
        d.context += *it;
    d.order = current_;
    return d;
}

bool Assembler::fail(std::size_t column, const std::string& message)
{
    if (!line_failed_) {
        errors_.push_back(diagnostic(column, message));
        if (errors_.size() >= kMaxErrors)
            ended_ = true;
    }
    line_failed_ = true;
    if (pass_ == 1 && current_ > 0 && current_ <= failed_.size())
        failed_[current_ - 1] = true;
    return false;
}

std::string Assembler::where() const
{
    const std::string file = origin_.file == 0 ? options_.path : sources_[origin_.file].name;
    return (file.empty() ? std::string("line ") : file + ":") + std::to_string(origin_.line);
}

// After the last operand: the end of the line, a ';' comment, or (as in TI's sources) any text
// after a tab or at least two blanks.
bool Assembler::end_of_operands()
{
    const std::size_t start = c_.pos;
    if (at_end())
        return true;
    const std::string_view gap = c_.s.substr(start, c_.pos - start);
    return gap.find('\t') != std::string_view::npos || gap.size() >= 2;
}

// One line: a label, a keyword, its operands. MACRO and REPT bodies are collected instead, and
// the lines of a branch not taken only looked at for the IFs that nest.
void Assembler::feed(std::string_view text, const Origin& origin)
{
    if (ended_)
        return;
    origin_ = origin;
    c_ = {text, 0};
    line_failed_ = false;
    start_ = here_;
    if (listing())
        list_line(text, origin);
    if (at_end() || c_.peek() == '*')  // a TI comment line starts with '*'
        return;
    std::string label, word;
    std::size_t label_column = 0, column = c_.pos;
    const bool first_column = c_.pos == 0;
    std::string_view name = read_name(c_);
    if (!name.empty()) {
        const std::size_t after = c_.pos;
        c_.skip_blanks();
        const bool colon = c_.peek() == ':' && c_.peek(1) != '=';
        Cursor probe = c_;
        const std::string_view next = read_name(probe);
        const bool defines = (next.size() >= 3 && next.size() <= 8 && defining_word(upper(next))) ||
                             (c_.peek() == '=' && c_.peek(1) != '=') || (c_.peek() == ':' && c_.peek(1) == '=');
        if (colon || defines ||
            (first_column && !keyword(upper(name)) && (macros_.empty() || !macros_.count(upper(name))))) {
            label = std::string(name);
            label_column = column;
            if (colon)
                ++c_.pos;
            c_.skip_blanks();
            column = c_.pos;
            if (c_.peek() == '=' || (c_.peek() == ':' && c_.peek(1) == '=')) {
                word = "=";
                c_.pos += c_.peek() == ':' ? 2u : 1u;
            } else {
                word = upper(read_name(c_));
            }
        } else {
            c_.pos = after;
            word = upper(name);
        }
    }
    if (capture_) {
        capture_line(word);
        return;
    }
    if (!word.empty() && (word[0] == 'I' || word[0] == 'E') &&
        (word == "IF" || word == "IFDEF" || word == "IFNDEF" || word == "ELSEIF" || word == "ELSE" ||
         word == "ENDIF")) {
        current_ = ++order_;
        if (failed_.size() < order_)
            failed_.resize(order_), end_.resize(order_);
        condition(word, column);
        return;
    }
    if (!active())
        return;
    const std::size_t me = ++order_;
    current_ = me;
    if (pass_ == 1) {
        if (failed_.size() < me)
            failed_.push_back(false), end_.push_back(0);
    } else if (me > failed_.size() || failed_[me - 1]) {
        if (me <= end_.size())
            here_ = end_[me - 1];
        return;
    }
    const std::size_t mine = listing_line_;
    const long at = here_;
    if (name.empty()) {
        fail(column, "expected a label or a mnemonic.");
    } else {
        if (word.empty() && !at_end())
            fail(c_.pos, "expected a mnemonic.");
        else if (word.empty())
            define(label, label_column, address_label());
        else
            directive(word, label, label_column, column);
    }
    current_ = me;  // after an include or a macro's lines
    // An INCLUDE or a macro call shows no address unless it has a label: the lines it brought
    // in show theirs. Nor does a definition: a name's value is in the symbol table.
    if (listing()) {
        listing_line_ = mine;
        if (mine + 1 < listed_.size() && !label.empty())
            listed_[mine].address = at;
        else if (mine + 1 == listed_.size() && word != "EQU" && word != "SET" && word != "=" && word != "MACRO" &&
                 word != "FUNCTION")
            list_address(0);
    }
    // A statement that fails in the second pass keeps its length, so the ones after it stay put.
    if (pass_ == 1)
        end_[me - 1] = here_;
    else if (line_failed_)
        here_ = end_[me - 1];
}

std::string Assembler::key(std::string_view name) const
{
    std::string k;
    if (!sections_.empty() &&
        (local_name(name) || !public_.count(std::to_string(sections_.back()) + ":" + std::string(name))))
        k = "S" + std::to_string(sections_.back()) + ":";
    if (local_name(name))
        k += scope_ + ":";
    return k + std::string(name);
}

// The name's symbol: in the current scope, then the sections around it, then the whole program.
Defined* Assembler::find(std::string_view name)
{
    const std::string scoped = local_name(name) ? scope_ + ":" + std::string(name) : std::string(name);
    for (auto s = sections_.rbegin(); s != sections_.rend(); ++s) {
        const auto found = symbols_.find("S" + std::to_string(*s) + ":" + scoped);
        if (found != symbols_.end())
            return &found->second;
    }
    const auto found = symbols_.find(scoped);
    return found == symbols_.end() ? nullptr : &found->second;
}

bool Assembler::defined(std::string_view name)
{
    return find(name) != nullptr || builtin(upper(name));
}

bool Assembler::lookup(std::string_view name, std::size_t column, Value& out)
{
    if (!arguments_.empty()) {
        const auto found = arguments_.back().find(upper(name));
        if (found != arguments_.back().end()) {
            out = found->second;
            return true;
        }
    }
    if (Defined* d = find(name)) {
        if (!d->known && pass_ == 2)
            return fail(column, "label " + quote(name) + " has no value: its definition depends on itself.");
        out = {d->value, d->known, d->tag};
        if (listing()) {
            auto& uses = d->uses;
            const std::pair<int, int> here{origin_.file, origin_.line};
            if (uses.empty() || uses.back() != here)
                uses.push_back(here);
        }
        return true;
    }
    const std::string u = upper(name);
    int n;
    if ((n = register_number(u)) >= 0) {
        out = {n, true, Tag::Register};
        return true;
    }
    if ((n = port_number(u)) >= 0) {
        out = {n, true, Tag::Port};
        return true;
    }
    if (u == "PC") {
        out = {start_, true, Tag::Number};
        return true;
    }
    if (operand_word(u))
        return fail(column, quote(name) + " is a register, not a value.");
    if (pass_ == 1) {
        used_early_.insert(key(name));
        out = {0, false, Tag::Number};
        return true;
    }
    return fail(column, "undefined label " + quote(name) + ".");
}

Defined Assembler::address_label() const
{
    Defined d;
    d.value = here_;
    d.known = true;
    d.label = true;
    return d;
}

bool Assembler::define(const std::string& name, std::size_t column, Defined symbol)
{
    const std::string u = upper(name);
    if (operand_word(u) || (symbol.label && builtin(u)))
        return fail(column, quote(name) + " is a register name and cannot be a label.");
    if (!local_name(name) && symbol.label)
        scope_ = key(name);
    symbol.file = origin_.file;
    symbol.line = origin_.line;
    symbol.name = name;
    const std::string k = key(name);
    const auto found = symbols_.find(k);
    if (pass_ == 2) {
        if (found != symbols_.end() && (found->second.redefinable || found->second.label))
            found->second.value = symbol.value, found->second.tag = symbol.tag, found->second.known = symbol.known;
        return true;
    }
    if (found != symbols_.end()) {
        if (found->second.redefinable && symbol.redefinable) {
            found->second = symbol;
            return true;
        }
        const Defined& first = found->second;
        const std::string at = first.file == origin_.file
                                   ? "on line " + std::to_string(first.line)
                                   : "at " + sources_[first.file].name + ":" + std::to_string(first.line);
        return fail(column, "duplicate label " + quote(name) + ", first defined " + at + ".");
    }
    if (symbol.tag != Tag::Number && used_early_.count(k))
        return fail(column, "register name " + quote(name) + " is used before its EQU.");
    symbols_.emplace(k, symbol);
    return true;
}

// A value at the cursor, with the column where it starts.
bool Assembler::value(Value& v, std::size_t& column)
{
    c_.skip_blanks();
    column = c_.pos;
    return read_expression(c_, *this, v);
}

// A value that fixes a length or an address: it must be known in the first pass.
bool Assembler::known_value(Value& v, const char* what, long low, long high)
{
    std::size_t column;
    if (!value(v, column))
        return false;
    if (!v.known)
        return fail(column, std::string(what) + " needs a value defined on an earlier line.");
    if (v.v < low || v.v > high)
        return fail(column, std::string(what) + " value " + std::to_string(v.v) + " lies outside " +
                                std::to_string(low) + " to " + std::to_string(high) + ".");
    return true;
}

bool Assembler::in_range(long v, long low, long high, std::size_t column, const char* what)
{
    if (v >= low && v <= high)
        return true;
    return fail(column, "value " + std::to_string(v) + " does not fit " + what + ".");
}

// Places the bytes of a statement at the current address (in the second pass) and moves past them.
bool Assembler::emit(const unsigned char* bytes, long count, std::size_t column)
{
    if (here_ + count > kMemorySize)
        return fail(column, "the line does not fit below $10000.");
    if (pass_ == 2) {
        for (long i = 0; i < count; ++i) {
            const auto at = static_cast<std::size_t>(here_ + i);
            if (owner_[at] != 0) {
                return fail(column, "address $" + hex4(here_ + i) + " is already assembled, on line " +
                                        std::to_string(owner_[at]) + ".");
            }
        }
        for (long i = 0; i < count; ++i) {
            const auto at = static_cast<std::size_t>(here_ + i);
            owner_[at] = origin_.line > 0 ? origin_.line : 1;
            memory_[at] = bytes[i];
        }
        if (listing())
            list_address(count);
        if (count > 0) {
            first_ = std::min(first_, here_);
            last_ = std::max(last_, here_ + count - 1);
        }
    }
    here_ += count;
    return true;
}

// Moves past count bytes without assembling them (DS, BSS, ALIGN).
bool Assembler::reserve(long count, std::size_t column)
{
    if (here_ + count > kMemorySize)
        return fail(column, "the line does not fit below $10000.");
    if (listing())
        list_address(0);
    here_ += count;
    return true;
}

void Assembler::list_line(std::string_view text, const Origin& origin)
{
    Listed l;
    l.file = origin.file;
    l.line = origin.line;
    l.depth = static_cast<int>(include_stack_.size()) - 1;
    l.expansion = expanding_ > 0;
    l.text = std::string(text);
    listing_line_ = listed_.size();
    listed_.push_back(std::move(l));
}

// The statement's line takes the address of its first byte (or of the space it reserves, or
// the address it leaves, for ORG and labels), and counts the bytes it assembled.
void Assembler::list_address(long count)
{
    Listed& l = listed_[listing_line_];
    if (l.address < 0)
        l.address = here_;
    l.count += count;
}

Assembly assemble(const std::string& text, const Options& options)
{
    return Assembler(text, options).run();
}

std::string quote(std::string_view text)
{
    constexpr std::size_t kLongest = 40;
    std::string out = "'";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == kLongest) {
            out += "...";
            break;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "'";
}

std::string format_errors(const std::string& file, const std::string&, const std::vector<Diagnostic>& errors)
{
    std::string out;
    for (const Diagnostic& d : errors) {
        const std::string name = d.file.empty() ? file : d.file;
        if (d.line <= 0) {
            out += name + ": " + d.message + "\n";
            continue;
        }
        out += name + ":" + std::to_string(d.line) + ":" + std::to_string(d.column) + ": " + d.message + "\n";
        out += d.context;
        out += d.source;
        out += '\n';
        for (std::size_t i = 0; i + 1 < d.column && i < d.source.size(); ++i)
            out += d.source[i] == '\t' ? '\t' : ' ';
        out += "^\n";
    }
    return out;
}

}  // namespace kodasm
