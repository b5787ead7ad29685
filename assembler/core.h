// The assembler's state, shared by its parts: the passes and statements (assembler.cpp), the
// directives (directives.cpp), instructions (instructions.cpp), and the blocks that feed lines
// from elsewhere: includes, conditions, macros, repetitions and functions (blocks.cpp).
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "assembler.h"
#include "encoding.h"
#include "expression.h"
#include "sources.h"

namespace kodasm {

constexpr long kMemorySize = 0x10000;
constexpr long kMaxCount = 0x10000;             // DS, DUP, REPT and ALIGN counts
constexpr std::size_t kMaxNesting = 32;         // includes and macro calls within each other
constexpr std::size_t kMaxExpanded = 1u << 20;  // lines made by macros and REPT in one pass

struct Defined {
    Tag tag = Tag::Number;
    long value = 0;
    bool known = false;        // an EQU whose value waits for a later label
    bool label = false;        // an address the source's lines carry
    bool redefinable = false;  // SET
    int file = 0;
    int line = 0;
    std::string name;                       // as written, without its scope
    std::vector<std::pair<int, int>> uses;  // file and line of each use in the second pass
};

struct Macro {
    std::vector<std::string> params, defaults;
    std::vector<std::string> body;
};

struct Function {
    std::vector<std::string> params;
    std::string body;
};

// A MACRO or REPT being collected up to its ENDM.
struct Capture {
    bool macro = false;
    std::string name;
    Macro definition;
    long count = 0;  // REPT
    int depth = 1;
    std::string where;  // the REPT line, for messages
};

struct Condition {
    bool outer;   // the enclosing lines are assembled
    bool taking;  // this branch is assembled
    bool taken;   // a branch was assembled already
    bool else_seen;
    std::string where;
};

// A pending EQU: its value named a label defined later.
struct Pending {
    std::string key, text, scope;
    std::size_t column;
    std::vector<int> sections;
};

// Where a line comes from, for messages.
struct Origin {
    int file = 0;  // index into the sources
    int line = 0;  // from 1
    std::string context;
};

// True for the upper-case word of a directive.
bool directive_word(const std::string& upper);

class Assembler : public Context {
public:
    Assembler(const std::string& text, const Options& options);
    Assembly run();

    bool lookup(std::string_view name, std::size_t column, Value& out) override;
    bool call(std::string_view name, const Value* args, std::size_t count, std::size_t column, Value& out,
              bool& failed) override;
    bool defined(std::string_view name) override;
    long here() const override { return start_; }
    bool fail(std::size_t column, const std::string& message) override;

private:
    // assembler.cpp: passes, lines, statements, symbols.
    void pass(int number);
    void feed_file(int file);
    void feed(std::string_view text, const Origin& origin);
    void statement();
    void resolve_pending();
    Diagnostic diagnostic(std::size_t column, const std::string& message) const;
    bool at_end()
    {
        c_.skip_blanks();
        return c_.at_end();
    }
    bool end_of_operands();
    std::string key(std::string_view name) const;
    Defined* find(std::string_view name);
    bool define(const std::string& name, std::size_t column, Defined symbol);
    Defined address_label() const;
    bool value(Value& v, std::size_t& column);
    bool known_value(Value& v, const char* what, long low, long high);
    bool in_range(long v, long low, long high, std::size_t column, const char* what);
    bool emit(const unsigned char* bytes, long count, std::size_t column);
    bool listing() const { return options_.listing && pass_ == 2; }
    void list_line(std::string_view text, const Origin& origin);
    void list_address(long count);
    bool reserve(long count, std::size_t column);
    Assembly result();

    // directives.cpp
    bool directive(const std::string& word, const std::string& label, std::size_t label_column, std::size_t column);
    bool definition(const std::string& name, std::size_t name_column, bool redefinable);
    bool org(const std::string& label, std::size_t label_column);
    bool data(bool words, std::size_t column);
    bool data_item(bool words, std::vector<unsigned char>& bytes);
    bool storage(const std::string& word, std::size_t column);
    bool pad_to(std::size_t column);
    bool cpu();
    bool end();

    // instructions.cpp
    // word's mnemonic number (find_mnemonic), -1 when it has none.
    bool instruction(const std::string& word, int mnemonic, std::size_t column);
    bool encode(int code, const std::vector<Operand>& operands, unsigned char* bytes);

    // blocks.cpp
    bool file_operand(std::string& name);
    bool include(bool binary);
    bool condition(const std::string& word, std::size_t column);
    bool capture_line(const std::string& word);
    bool start_capture(const std::string& word, const std::string& label, std::size_t label_column);
    void finish_capture();
    void expand(const std::vector<std::string>& lines, const std::string& context);
    bool invoke(const Macro& macro, const std::string& name);
    bool function(const std::string& name, std::size_t name_column);
    bool section(bool open);
    bool make_public();
    bool active() const { return conditions_.empty() || (conditions_.back().outer && conditions_.back().taking); }
    std::string where() const;

    Options options_;
    Sources sources_;
    std::vector<int> include_stack_;
    std::unordered_map<std::string, Defined> symbols_;
    std::unordered_set<std::string> used_early_;  // names read in the first pass before their definition
    std::vector<Pending> pending_;
    std::unordered_map<std::string, Macro> macros_;                  // by upper-case name
    std::unordered_map<std::string, Function> functions_;            // by upper-case name
    std::vector<std::unordered_map<std::string, Value>> arguments_;  // of the functions being called
    std::vector<Condition> conditions_;
    std::vector<bool> decisions_;  // per statement: the branch the first pass took at an IF
    std::unique_ptr<Capture> capture_;
    std::vector<bool> failed_;          // per statement: failed in the first pass
    std::vector<long> end_;             // per statement: the address after it, from the first pass
    std::vector<std::int16_t> chosen_;  // per instruction: the opcode the first pass chose from known values, or -1
    std::vector<Diagnostic> errors_;
    std::vector<int> owner_;             // the statement that assembled each address, +1; 0 for none
    std::vector<unsigned char> memory_;  // the whole address space
    long first_ = kMemorySize;           // lowest and highest address assembled
    long last_ = -1;
    long entry_ = -1;

    int pass_ = 1;
    int processor_ = 0;        // whose opcode map: the target computer's until a CPU line
    long here_ = 0;            // address of the next byte
    long start_ = 0;           // address of the current line's first byte, the value of $
    std::size_t order_ = 0;    // statements fed in this pass
    std::size_t current_ = 0;  // the statement being assembled, from 1
    std::size_t expanded_ = 0;
    int expansions_ = 0;  // macro and REPT expansions in this pass, to scope their local names
    int sections_made_ = 0;
    std::vector<int> sections_;
    std::unordered_set<std::string> public_;  // section and name of each PUBLIC
    std::string scope_;                       // the last ordinary label, or the expansion: the scope of local names
    std::vector<std::string> contexts_;       // "  in file included from ..." lines, innermost last
    bool ended_ = false;                      // END met, or too many errors
    bool exit_macro_ = false;
    int macros_open_ = 0;              // macro expansions being fed
    std::size_t function_column_ = 0;  // where a user function is called, for its faults
    int in_function_ = 0;
    int expanding_ = 0;             // macro and REPT expansions being fed, to mark their lines
    std::vector<Listed> listed_;    // with Options::listing, the lines of the second pass
    std::size_t listing_line_ = 0;  // the entry of listed_ that the statement being assembled fills

    std::vector<Operand> operands_;  // of the current instruction
    Origin origin_;
    Cursor c_;
    bool line_failed_ = false;
};

}  // namespace kodasm
