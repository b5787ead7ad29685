// What feeds lines from elsewhere, or leaves them out: INCLUDE and BINCLUDE, IF and its kin,
// MACRO and REPT with their expansion, FUNCTION, SECTION. Every one is bounded: include and
// macro nesting, the lines expansion makes in one pass, the counts.
#include "core.h"
#include "files.h"

namespace kodasm {

namespace {

std::string trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return std::string(text);
}

// The rest of the line split at its commas, outside quotes and parentheses, up to a ';'.
std::vector<std::string> split_list(Cursor& c)
{
    std::vector<std::string> items;
    std::string item;
    int depth = 0;
    char quote = 0;
    for (; c.pos < c.s.size(); ++c.pos) {
        const char ch = c.s[c.pos];
        if (quote != 0) {
            if (ch == '\\' && c.pos + 1 < c.s.size())
                item += ch, ch == '\\' ? item += c.s[++c.pos] : item;
            else if (ch == quote)
                quote = 0, item += ch;
            else
                item += ch;
            continue;
        }
        if (ch == ';')
            break;
        if (ch == '"' || ch == '\'')
            quote = ch;
        else if (ch == '(')
            ++depth;
        else if (ch == ')')
            --depth;
        else if (ch == ',' && depth == 0) {
            items.push_back(trim(item));
            item.clear();
            continue;
        }
        item += ch;
    }
    if (!trim(item).empty() || !items.empty())
        items.push_back(trim(item));
    return items;
}

// A macro's line with each parameter, as a whole name outside quotes and comments, replaced by
// its argument.
std::string substitute(const std::string& line, const std::vector<std::string>& params,
                       const std::vector<std::string>& args)
{
    std::string out;
    char quote = 0;
    for (std::size_t i = 0; i < line.size();) {
        const char ch = line[i];
        if (quote != 0 || ch == '"' || ch == '\'' || ch == ';') {
            if (ch == ';' && quote == 0) {
                out.append(line, i, std::string::npos);
                break;
            }
            quote = quote == 0 ? ch : ch == quote ? 0 : quote;
            out += ch;
            ++i;
            continue;
        }
        if (!name_start(ch) || (i > 0 && name_char(line[i - 1]))) {
            out += ch;
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && name_char(line[end]))
            ++end;
        const std::string word = upper(std::string_view(line).substr(i, end - i));
        std::size_t p = 0;
        while (p < params.size() && params[p] != word)
            ++p;
        out += p < params.size() ? args[p] : line.substr(i, end - i);
        i = end;
    }
    return out;
}

}  // namespace

// The file of INCLUDE and BINCLUDE: in quotes, or a bare name up to a blank, a comma or a ';'.
bool Assembler::file_operand(std::string& name)
{
    c_.skip_blanks();
    const std::size_t column = c_.pos;
    const char q = c_.peek();
    if (q == '"' || q == '\'') {
        const std::size_t close = c_.s.find(q, c_.pos + 1);
        if (close == std::string_view::npos)
            return fail(column, "string without its closing quote.");
        name = std::string(c_.s.substr(c_.pos + 1, close - c_.pos - 1));
        c_.pos = close + 1;
    } else {
        while (!c_.at_end() && c_.peek() != ' ' && c_.peek() != '\t' && c_.peek() != ',')
            name += c_.s[c_.pos++];
    }
    if (name.empty())
        return fail(column, "expected a file name.");
    return true;
}

// INCLUDE file: its lines here, found from the folder of the including file. BINCLUDE
// file[,offset[,length]]: its bytes here.
bool Assembler::include(bool binary)
{
    c_.skip_blanks();
    const std::size_t column = c_.pos;
    std::string name;
    if (!file_operand(name))
        return false;
    Value offset{0, true, Tag::Number}, length{-1, true, Tag::Number};
    if (binary && !at_end() && c_.peek() == ',') {
        ++c_.pos;
        if (!known_value(offset, "BINCLUDE offset", 0, kMaxSource))
            return false;
        if (!at_end() && c_.peek() == ',') {
            ++c_.pos;
            if (!known_value(length, "BINCLUDE length", 0, kMemorySize))
                return false;
        }
    }
    if (!end_of_operands())
        return fail(c_.pos, "unexpected text after the file name.");
    std::string error;
    const int file = sources_.load(include_stack_.back(), name, binary, error);
    if (file < 0)
        return fail(column, error);
    if (binary) {
        const std::string_view text = sources_[file].text;
        if (static_cast<std::size_t>(offset.v) > text.size())
            return fail(column,
                        "BINCLUDE offset " + std::to_string(offset.v) + " lies past the end of " + quote(name) + ".");
        const std::string_view bytes = text.substr(
            static_cast<std::size_t>(offset.v), length.v < 0 ? std::string::npos : static_cast<std::size_t>(length.v));
        if (length.v >= 0 && bytes.size() < static_cast<std::size_t>(length.v))
            return fail(column, "BINCLUDE length " + std::to_string(length.v) + " reaches past the end of " +
                                    quote(name) + ".");
        return emit(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<long>(bytes.size()), column);
    }
    for (const int open : include_stack_)
        if (open == file)
            return fail(column, "INCLUDE of " + quote(name) + " includes itself.");
    if (include_stack_.size() > kMaxNesting)
        return fail(column, "includes nested more than 32 deep.");
    const Origin saved_origin = origin_;
    const Cursor saved_cursor = c_;
    contexts_.push_back("  in the file included from " + where() + "\n");
    feed_file(file);
    contexts_.pop_back();
    origin_ = saved_origin;
    c_ = saved_cursor;
    line_failed_ = false;
    return true;
}

// IF, IFDEF and IFNDEF open a block, ELSEIF and ELSE start its next branch, ENDIF closes it. The
// first pass decides each branch; the second takes the same one, so that both see the same lines.
bool Assembler::condition(const std::string& word, std::size_t column)
{
    const std::size_t index = current_ - 1;
    const auto decide = [&](bool& taking) {
        if (pass_ == 2) {
            taking = index < decisions_.size() && decisions_[index];
            return true;
        }
        if (word == "IFDEF" || word == "IFNDEF") {
            c_.skip_blanks();
            const std::size_t at = c_.pos;
            const std::string_view name = read_name(c_);
            if (name.empty())
                return fail(at, "expected a name.");
            taking = (find(name) != nullptr || macros_.count(upper(name)) != 0) == (word == "IFDEF");
        } else {
            Value v;
            if (!known_value(v, word.c_str(), -(1l << 62), 1l << 62))
                return false;
            taking = v.v != 0;
        }
        if (!end_of_operands())
            return fail(c_.pos, "unexpected text after the value.");
        if (decisions_.size() <= index)
            decisions_.resize(index + 1, false);
        decisions_[index] = taking;
        return true;
    };
    if (word == "IF" || word == "IFDEF" || word == "IFNDEF") {
        const bool outer = active();
        bool taking = false;
        if (outer && !decide(taking))
            taking = false;
        conditions_.push_back({outer, taking, taking, false, where()});
        return true;
    }
    if (conditions_.empty())
        return pass_ == 1 && fail(column, word + " without its IF.");
    Condition& top = conditions_.back();
    if (word == "ENDIF") {
        conditions_.pop_back();
        return true;
    }
    if (top.else_seen)
        return pass_ == 1 && fail(column, word + " after the ELSE of this IF.");
    if (word == "ELSE") {
        top.else_seen = true;
        top.taking = !top.taken;
        top.taken = true;
        return true;
    }
    bool taking = false;  // ELSEIF
    if (top.outer && !top.taken && !decide(taking))
        taking = false;
    top.taking = taking && !top.taken;
    top.taken = top.taken || taking;
    return true;
}

// name MACRO params, and REPT count: the lines up to the matching ENDM are collected, not
// assembled.
bool Assembler::start_capture(const std::string& word, const std::string& label, std::size_t label_column)
{
    auto capture = std::make_unique<Capture>();
    if (word == "MACRO") {
        if (label.empty())
            return fail(c_.pos, "MACRO needs a name before it.");
        capture->macro = true;
        capture->name = upper(label);
        for (const std::string& param : split_list(c_)) {
            const std::size_t eq = param.find('=');
            const std::string name = trim(param.substr(0, eq));
            Cursor check{name, 0};
            if (read_name(check).size() != name.size() || name.empty())
                return fail(label_column, "bad parameter " + quote(name) + " of macro " + quote(label) + ".");
            capture->definition.params.push_back(upper(name));
            capture->definition.defaults.push_back(eq == std::string::npos ? std::string()
                                                                           : trim(param.substr(eq + 1)));
        }
    } else {
        Value count;
        if (!known_value(count, "REPT", 0, kMaxCount)) {
            capture_ = std::move(capture);  // its lines are still left out, up to its ENDM
            return false;
        }
        capture->count = count.v;
    }
    capture->where = where();
    capture_ = std::move(capture);
    return true;
}

bool Assembler::capture_line(const std::string& word)
{
    if (word == "MACRO" || word == "REPT") {
        ++capture_->depth;
    } else if (word == "ENDM" && --capture_->depth == 0) {
        finish_capture();
        return true;
    }
    capture_->definition.body.emplace_back(c_.s);
    return true;
}

void Assembler::finish_capture()
{
    const std::unique_ptr<Capture> done = std::move(capture_);
    if (done->macro) {
        if (pass_ == 1 && macros_.count(done->name)) {
            fail(0, "macro " + quote(done->name) + " is defined twice.");
            return;
        }
        macros_[done->name] = done->definition;
        return;
    }
    const std::string context = "  in the REPT of " + done->where + "\n";
    for (long i = 0; i < done->count && !ended_; ++i)
        expand(done->definition.body, context);
}

// Feeds lines made by a macro or REPT, each expansion a scope of its own for local names.
void Assembler::expand(const std::vector<std::string>& lines, const std::string& context)
{
    if (contexts_.size() >= kMaxNesting) {
        fail(0, "macros and includes nested more than 32 deep.");
        return;
    }
    const Origin saved_origin = origin_;
    const Cursor saved_cursor = c_;
    const std::string saved_scope = scope_;
    const std::size_t saved_conditions = conditions_.size();
    scope_ = "M" + std::to_string(++expansions_);
    contexts_.push_back(context);
    ++expanding_;
    for (const std::string& line : lines) {
        if (ended_ || exit_macro_)
            break;
        if (++expanded_ > kMaxExpanded) {
            fail(0, "macros and REPT make more than 1048576 lines.");
            ended_ = true;
            break;
        }
        feed(line, saved_origin);
    }
    --expanding_;
    exit_macro_ = false;
    if (conditions_.size() > saved_conditions)
        conditions_.resize(saved_conditions);
    contexts_.pop_back();
    scope_ = saved_scope;
    origin_ = saved_origin;
    c_ = saved_cursor;
    line_failed_ = false;
}

bool Assembler::invoke(const Macro& macro, const std::string& name)
{
    c_.skip_blanks();
    const std::size_t column = c_.pos;
    std::vector<std::string> args = split_list(c_);
    if (args.size() > macro.params.size())
        return fail(column, "macro " + quote(name) + " takes " + std::to_string(macro.params.size()) +
                                " arguments, not " + std::to_string(args.size()) + ".");
    for (std::size_t i = 0; i < macro.params.size(); ++i)
        if (i >= args.size())
            args.push_back(macro.defaults[i]);
        else if (args[i].empty())
            args[i] = macro.defaults[i];
    std::vector<std::string> lines;
    lines.reserve(macro.body.size());
    for (const std::string& line : macro.body)
        lines.push_back(substitute(line, macro.params, args));
    ++macros_open_;
    expand(lines, "  in the macro " + name + " called at " + where() + "\n");
    --macros_open_;
    return true;
}

// name FUNCTION arg,...,expression: called as name(value, ...).
bool Assembler::function(const std::string& name, std::size_t name_column)
{
    std::vector<std::string> parts = split_list(c_);
    if (parts.empty() || parts.back().empty())
        return fail(name_column, "FUNCTION needs an expression.");
    Function f;
    f.body = parts.back();
    parts.pop_back();
    for (const std::string& p : parts) {
        Cursor check{p, 0};
        if (p.empty() || read_name(check).size() != p.size())
            return fail(name_column, "bad parameter " + quote(p) + " of function " + quote(name) + ".");
        f.params.push_back(upper(p));
    }
    if (pass_ == 1 && functions_.count(upper(name)))
        return fail(name_column, "function " + quote(name) + " is defined twice.");
    functions_[upper(name)] = f;
    return true;
}

bool Assembler::call(std::string_view name, const Value* args, std::size_t count, std::size_t column, Value& out,
                     bool& failed)
{
    const auto found = functions_.find(upper(name));
    if (found == functions_.end())
        return false;
    if (args == nullptr)
        return true;
    const Function& f = found->second;
    failed = true;
    if (count != f.params.size())
        return fail(column, "function " + quote(name) + " takes " + std::to_string(f.params.size()) + " arguments.");
    if (arguments_.size() >= kMaxNesting)
        return fail(column, "functions nested more than 32 deep.");
    std::unordered_map<std::string, Value> bound;
    for (std::size_t i = 0; i < count; ++i)
        bound[f.params[i]] = args[i];
    if (in_function_ == 0)
        function_column_ = column;
    ++in_function_;
    arguments_.push_back(std::move(bound));
    Cursor body{f.body, 0};
    bool ok = read_expression(body, *this, out);
    body.skip_blanks();
    if (ok && !body.at_end())
        ok = fail(body.pos, "unexpected text in the expression of function " + quote(name) + ".");
    arguments_.pop_back();
    --in_function_;
    failed = !ok;
    return ok;
}

// SECTION name ... ENDSECTION: the names defined inside are seen only inside, so that files that
// each use LOOP and DONE assemble together.
bool Assembler::section(bool open)
{
    if (open) {
        c_.skip_blanks();
        read_name(c_);
        sections_.push_back(++sections_made_);
        return true;
    }
    c_.skip_blanks();
    read_name(c_);
    if (sections_.empty())
        return fail(c_.pos, "ENDSECTION without its SECTION.");
    sections_.pop_back();
    return true;
}

}  // namespace kodasm

namespace kodasm {

// PUBLIC name,...: names of the current section that the whole program sees.
bool Assembler::make_public()
{
    if (sections_.empty())
        return fail(c_.pos, "PUBLIC outside a SECTION.");
    for (;;) {
        c_.skip_blanks();
        const std::size_t column = c_.pos;
        const std::string_view name = read_name(c_);
        if (name.empty())
            return fail(column, "expected a name.");
        public_.insert(std::to_string(sections_.back()) + ":" + std::string(name));
        if (end_of_operands())
            return true;
        if (c_.peek() != ',')
            return fail(c_.pos, "expected ',' or the end of the line.");
        ++c_.pos;
    }
}

}  // namespace kodasm
