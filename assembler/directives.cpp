// The directives of both notations: names (EQU, =, SET), origin (ORG, AORG), data (DB, DW, DATA,
// TEXT ...), storage (DS, BSS, ALIGN, PADTO), END, CPU, and those accepted for their listing
// alone. Includes, conditions, macros and sections are in blocks.cpp.
#include <cstdio>
#include <ctime>
#include <unordered_map>

#include "core.h"

namespace kodasm {

namespace {

enum class Directive {
    None,
    Equ,
    Set,
    Org,
    Macro,
    Function,
    Bytes,
    Words,
    Storage,
    PadTo,
    Include,
    Binclude,
    Rept,
    End,
    Cpu,
    Section,
    EndSection,
    Public,
    Ignored,
    Endm,
    Exitm,
    Condition,
};

// Every directive of both notations, by its upper-case word.
const std::unordered_map<std::string, Directive>& directives()
{
    static const std::unordered_map<std::string, Directive> table = {
        {"EQU", Directive::Equ},
        {"=", Directive::Equ},
        {"SET", Directive::Set},
        {"ORG", Directive::Org},
        {"AORG", Directive::Org},
        {"MACRO", Directive::Macro},
        {"FUNCTION", Directive::Function},
        {"DB", Directive::Bytes},
        {"BYTE", Directive::Bytes},
        {"FCB", Directive::Bytes},
        {".BYTE", Directive::Bytes},
        {"TEXT", Directive::Bytes},
        {"DW", Directive::Words},
        {"WORD", Directive::Words},
        {"FDB", Directive::Words},
        {".WORD", Directive::Words},
        {"DATA", Directive::Words},
        {"DS", Directive::Storage},
        {"RMB", Directive::Storage},
        {"BSS", Directive::Storage},
        {"ALIGN", Directive::Storage},
        {"EVEN", Directive::Storage},
        {"PADTO", Directive::PadTo},
        {"INCLUDE", Directive::Include},
        {"COPY", Directive::Include},
        {"BINCLUDE", Directive::Binclude},
        {"REPT", Directive::Rept},
        {"END", Directive::End},
        {"CPU", Directive::Cpu},
        {"SECTION", Directive::Section},
        {"ENDSECTION", Directive::EndSection},
        {"PUBLIC", Directive::Public},
        {"GLOBAL", Directive::Public},
        {"PAGE", Directive::Ignored},
        {"TITLE", Directive::Ignored},
        {"LISTING", Directive::Ignored},
        {"SAVE", Directive::Ignored},
        {"RESTORE", Directive::Ignored},
        {"RELAXED", Directive::Ignored},
        {"NEWPAGE", Directive::Ignored},
        {"IDT", Directive::Ignored},
        {"ENDM", Directive::Endm},
        {"EXITM", Directive::Exitm},
        {"IF", Directive::Condition},
        {"IFDEF", Directive::Condition},
        {"IFNDEF", Directive::Condition},
        {"ELSEIF", Directive::Condition},
        {"ELSE", Directive::Condition},
        {"ENDIF", Directive::Condition},
        {"TST", Directive::None},
    };
    return table;
}

Directive find_directive(const std::string& word)
{
    const auto found = directives().find(word);
    return found == directives().end() ? Directive::None : found->second;
}

// DATE and TIME as the common macro assembler writes them: MM/DD/YY and HH:MM:SS.
std::string clock_text(std::time_t now, bool date)
{
    std::tm t{};
    gmtime_r(&now, &t);
    char text[32];
    if (date)
        std::snprintf(text, sizeof text, "%02d/%02d/%02d", t.tm_mon + 1, t.tm_mday, t.tm_year % 100);
    else
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

}  // namespace

bool directive_word(const std::string& upper)
{
    return directives().count(upper) != 0;
}

bool Assembler::directive(const std::string& w, const std::string& label, std::size_t label_column, std::size_t column)
{
    const int mnemonic = find_mnemonic(w);
    if (mnemonic >= 0) {  // the common case first: one look-up for an instruction line
        if (!label.empty() && !define(label, label_column, address_label()))
            return false;
        return instruction(w, mnemonic, column);
    }
    const Directive d = find_directive(w);
    switch (d) {
    case Directive::Equ:
    case Directive::Set:
        if (label.empty())
            return fail(column, w + " needs a name before it.");
        return definition(label, label_column, d == Directive::Set);
    case Directive::Org: return org(label, label_column);
    case Directive::Macro: return start_capture(w, label, label_column);
    case Directive::Function:
        if (label.empty())
            return fail(column, "FUNCTION needs a name before it.");
        return function(label, label_column);
    default: break;
    }
    if (!label.empty() && !define(label, label_column, address_label()))
        return false;
    switch (d) {
    case Directive::Bytes: return data(false, column);
    case Directive::Words: return data(true, column);
    case Directive::Storage: return storage(w, column);
    case Directive::PadTo: return pad_to(column);
    case Directive::Include: return include(false);
    case Directive::Binclude: return include(true);
    case Directive::Rept: return start_capture(w, label, label_column);
    case Directive::End: return end();
    case Directive::Cpu: return cpu();
    case Directive::Section: return section(true);
    case Directive::EndSection: return section(false);
    case Directive::Public: return make_public();
    case Directive::Ignored: return true;  // for a printed listing only: the bytes stay the same
    case Directive::Endm: return fail(column, "ENDM without its MACRO or REPT.");
    case Directive::Exitm:
        if (macros_open_ == 0)
            return fail(column, "EXITM outside a macro.");
        exit_macro_ = true;
        return true;
    default: break;
    }
    if (!macros_.empty()) {
        const auto macro = macros_.find(w);
        if (macro != macros_.end())
            return invoke(macro->second, w);
    }
    return instruction(w, -1, column);
}

// name EQU value, name = value, name SET value. A name given to a register (COUNT EQU R3) or a
// port (LEDS EQU P4) names it wherever a register or port is read; an EQU may name a label that
// comes later, a SET may be given a new value further on.
bool Assembler::definition(const std::string& name, std::size_t name_column, bool redefinable)
{
    c_.skip_blanks();
    const std::size_t column = c_.pos;
    Cursor probe = c_;
    const std::string word = upper(read_name(probe));
    Value v;
    if (word == "ST" && (probe.at_end() || probe.peek() == ' ' || probe.peek() == '\t')) {
        return fail(name_column, "ST cannot be given a name.");
    } else if ((word == "A" || word == "B") && (probe.at_end() || probe.peek() == ' ' || probe.peek() == '\t')) {
        v = {word == "A" ? 0 : 1, true, Tag::Register};
        c_ = probe;
    } else if (!read_expression(c_, *this, v)) {
        return false;
    }
    if (!end_of_operands())
        return fail(c_.pos, "unexpected text after the value.");
    if (pass_ == 2 && !redefinable)
        return true;
    Defined symbol;
    symbol.tag = v.tag;
    symbol.value = v.v;
    symbol.known = v.known;
    symbol.redefinable = redefinable;
    if (!define(name, name_column, symbol))
        return false;
    if (!symbol.known && pass_ == 1)
        pending_.push_back({key(name), std::string(c_.s), scope_, column, sections_});
    return true;
}

// ORG and AORG: the address of the next byte; its value must be known when the line is reached.
// A label on the line names the new address.
bool Assembler::org(const std::string& label, std::size_t label_column)
{
    Value v;
    c_.skip_blanks();
    const std::size_t column = c_.pos;
    if (!read_expression(c_, *this, v))
        return false;
    if (!end_of_operands())
        return fail(c_.pos, "unexpected text after the value.");
    if (!v.known)
        return fail(column, "ORG needs a value defined on an earlier line.");
    if (v.v < 0 || v.v >= kMemorySize)
        return fail(column, "ORG address " + std::to_string(v.v) + " lies outside $0000 to $FFFF.");
    here_ = v.v;
    start_ = here_;
    if (!label.empty())
        return define(label, label_column, address_label());
    return true;
}

// DB and its kin take bytes and strings, DW and its kin 16-bit words, high byte first; both take
// "count DUP (value, ...)".
bool Assembler::data(bool words, std::size_t keyword_column)
{
    std::vector<unsigned char> bytes;
    if (at_end())
        return fail(c_.pos, "this directive needs at least one value.");
    for (;;) {
        if (!data_item(words, bytes))
            return false;
        if (end_of_operands())
            break;
        if (c_.peek() != ',')
            return fail(c_.pos, "expected ',' or the end of the line.");
        ++c_.pos;
    }
    return emit(bytes.data(), static_cast<long>(bytes.size()), keyword_column);
}

bool Assembler::data_item(bool words, std::vector<unsigned char>& bytes)
{
    c_.skip_blanks();
    const std::size_t column = c_.pos;
    if (!words && (c_.peek() == '"' || c_.peek() == '\'')) {
        Cursor probe = c_;
        std::string text, error;
        std::size_t at;
        if (!read_quoted(probe, text, error, at))
            return fail(at, error);
        Cursor after = probe;
        after.skip_blanks();
        if (after.at_end() || after.peek() == ',' || after.pos > probe.pos + 1 || text.size() != 1) {
            c_ = probe;
            bytes.insert(bytes.end(), text.begin(), text.end());
            return true;
        }
    }
    {
        Cursor probe = c_;
        const std::string word = upper(read_name(probe));
        Cursor after = probe;
        after.skip_blanks();
        if (!words && (word == "DATE" || word == "TIME") && find(word) == nullptr &&
            (after.at_end() || after.peek() == ',')) {
            const std::string text = clock_text(options_.now, word == "DATE");
            bytes.insert(bytes.end(), text.begin(), text.end());
            c_ = probe;
            return true;
        }
    }
    Value v;
    if (!read_expression(c_, *this, v))
        return false;
    Cursor probe = c_;
    probe.skip_blanks();
    const std::string word = upper(read_name(probe));
    if (word == "DUP") {
        if (!v.known)
            return fail(column, "DUP needs a count defined on an earlier line.");
        if (v.v < 0 || v.v > kMaxCount)
            return fail(column, "DUP count " + std::to_string(v.v) + " lies outside 0 to 65536.");
        probe.skip_blanks();
        if (probe.peek() != '(')
            return fail(probe.pos, "expected '(' after DUP.");
        c_ = probe;
        ++c_.pos;
        std::vector<unsigned char> once;
        for (;;) {
            if (!data_item(words, once))
                return false;
            c_.skip_blanks();
            if (c_.peek() != ',')
                break;
            ++c_.pos;
        }
        if (c_.peek() != ')')
            return fail(c_.pos, "expected ')'.");
        ++c_.pos;
        for (long i = 0; i < v.v && bytes.size() <= static_cast<std::size_t>(kMemorySize); ++i)
            bytes.insert(bytes.end(), once.begin(), once.end());
        return true;
    }
    if (pass_ == 2 && !in_range(v.v, words ? -32768 : -128, words ? 65535 : 255, column,
                                words ? "16 bits (-32768 to 65535)" : "8 bits (-128 to 255)"))
        return false;
    if (words)
        bytes.push_back(static_cast<unsigned char>((v.v >> 8) & 0xFF));
    bytes.push_back(static_cast<unsigned char>(v.v & 0xFF));
    return true;
}

// DS, RMB and BSS move past n bytes; ALIGN n and EVEN move to the next multiple of n (of 2). The
// bytes passed over are not assembled: between two blocks they hold $FF.
bool Assembler::storage(const std::string& word, std::size_t column)
{
    Value v{2, true, Tag::Number};
    if (word != "EVEN" && !known_value(v, word.c_str(), word == "ALIGN" ? 1 : 0, kMaxCount))
        return false;
    if (!end_of_operands())
        return fail(c_.pos, "unexpected text after the value.");
    const long count = word == "ALIGN" || word == "EVEN" ? (v.v - here_ % v.v) % v.v : v.v;
    return reserve(count, column);
}

// PADTO address[,fill]: fill bytes ($FF unless given) up to the address.
bool Assembler::pad_to(std::size_t column)
{
    Value to, fill{0xFF, true, Tag::Number};
    c_.skip_blanks();
    const std::size_t to_column = c_.pos;
    if (!known_value(to, "PADTO", 0, kMemorySize))
        return false;
    if (to.v < here_)
        return fail(to_column, "PADTO address lies below the current address.");
    if (!at_end() && c_.peek() == ',') {
        ++c_.pos;
        std::size_t fill_column;
        if (!value(fill, fill_column))
            return false;
        if (pass_ == 2 && !in_range(fill.v, -128, 255, fill_column, "8 bits (-128 to 255)"))
            return false;
    }
    if (!end_of_operands())
        return fail(c_.pos, "unexpected text after the value.");
    const std::vector<unsigned char> bytes(static_cast<std::size_t>(to.v - here_), static_cast<unsigned char>(fill.v));
    return emit(bytes.data(), static_cast<long>(bytes.size()), column);
}

bool Assembler::cpu()
{
    c_.skip_blanks();
    const std::size_t column = c_.pos;
    const std::string name = upper(read_name(c_));
    const int cpu = find_cpu(name);
    if (cpu < 0)
        return fail(column,
                    "unknown CPU " + quote(name) + ": kodasm assembles for the TMS7000 family (TMS7000 to TMS70CT40).");
    processor_ = cpu;
    return true;
}

// END [entry]: the source stops here; the entry, when given, is the program's start for the map.
bool Assembler::end()
{
    if (!at_end()) {
        Value v;
        std::size_t column;
        if (!value(v, column))
            return false;
        if (pass_ == 2) {
            if (!in_range(v.v, 0, kMemorySize - 1, column, "the address space ($0000 to $FFFF)"))
                return false;
            entry_ = v.v;
        }
        if (!end_of_operands())
            return fail(c_.pos, "unexpected text after the value.");
    }
    ended_ = true;
    return true;
}

}  // namespace kodasm
