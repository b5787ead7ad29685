// The index from mnemonic to opcodes, built once from the disassembler's opcode map, and the
// choice of one opcode for the operands of a source line.
#include "encoding.h"

#include <array>
#include <iterator>
#include <unordered_map>

#include "expression.h"
#include "instructions.h"
#include "opcode_map.h"
#include "processor.h"

namespace kodasm {

namespace {

using namespace koddar;

// The usual TMS7000 names for the same instructions.
struct Alias {
    const char* text;
    Mnemonic mnemonic;
};
constexpr Alias kAliases[] = {
    {"JN", JLT}, {"JZ", JEQ},    {"JC", JHS},    {"JP", JGT},   {"JPZ", JGE},  {"JNZ", JNE},
    {"JNC", JL}, {"CLRC", TSTA}, {"MOVW", MOVD}, {"RTS", RETS}, {"RTI", RETI},
};

// The instructions whose port form has a mnemonic of its own: MOV A,P4 is MOVP A,P4.
struct PortVariant {
    Mnemonic plain, port;
};
constexpr PortVariant kPortVariants[] = {
    {MOV, MOVP}, {AND, ANDP}, {OR, ORP}, {XOR, XORP}, {BTJO, BTJOP}, {BTJZ, BTJZP},
};

bool is_port_value(const Operand& op)
{
    return op.form == Form::Port ||
           (op.form == Form::Value && op.known && op.value >= kPortBase && op.value < kPortBase + 256);
}

bool is_address(const Operand& op)
{
    return op.form == Form::Direct || op.form == Form::Indexed || op.form == Form::Indirect ||
           (op.form == Form::Value && op.known && op.value >= kPortBase + 256);
}

// Opcodes of each mnemonic in one processor's map, in opcode order; undefined opcodes are left out.
struct FormIndex {
    std::array<std::vector<std::uint8_t>, std::size(name)> opcodes;
    explicit FormIndex(const Opcode* map)
    {
        for (unsigned code = 0; code < 256; ++code)
            if (map[code].op != UNDEF)
                opcodes[map[code].op].push_back(static_cast<std::uint8_t>(code));
    }
};

const FormIndex& index(int processor)
{
    static const std::vector<FormIndex> tables = [] {
        std::vector<FormIndex> t;
        for (const Processor& p : processors)
            t.emplace_back(p.opcodes);
        return t;
    }();
    return tables[static_cast<std::size_t>(processor)];
}

// How well an operand fits a kind: -1 not at all, 0 exactly, 1 as register 0 or 1 written A or B.
int fit(const Operand& operand, int kind)
{
    if (kind < K_NONE)  // a TRAP number
        return operand.form == Form::Value && (!operand.known || operand.value == kind) ? 0 : -1;
    switch (operand.form) {
    case Form::A: return kind == K_A ? 0 : kind == K_REG ? 1 : -1;
    case Form::B: return kind == K_B ? 0 : kind == K_REG ? 1 : -1;
    case Form::Reg: return kind == K_REG ? 0 : -1;
    case Form::Port: return kind == K_PORT ? 0 : -1;
    case Form::Imm: return kind == K_IMM8 || kind == K_IMM16 ? 0 : -1;
    case Form::Value:
        // A number not known yet is taken as a register in the first pass; the second pass
        // refuses it if its value then asks for another length.
        if (kind == K_REG)
            return !operand.known || (operand.value >= 0 && operand.value < 256) ? 0 : -1;
        if (kind == K_PORT)
            return !operand.known || (operand.value >= 0 && operand.value < kPortBase + 256) ? 0 : -1;
        return kind == K_ADDR || kind == K_REL || kind == K_DIRECT ? 0 : -1;
    case Form::Direct: return kind == K_DIRECT || kind == K_ADDR ? 0 : -1;
    case Form::Indexed: return kind == K_INDEXED ? 0 : -1;
    case Form::Indirect: return kind == K_INDIRECT ? 0 : -1;
    case Form::Status: return kind == K_ST ? 0 : -1;
    }
    return -1;
}

}  // namespace

int find_mnemonic(const std::string& upper)
{
    static const std::unordered_map<std::string, int> mnemonics = [] {
        std::unordered_map<std::string, int> table;
        for (int m = 0; m < UNDEF; ++m)
            table.emplace(name[m], m);
        for (const Alias& alias : kAliases)
            table.emplace(alias.text, alias.mnemonic);
        return table;
    }();
    const auto found = mnemonics.find(upper);
    return found == mnemonics.end() ? -1 : found->second;
}

int rewrite_form(int mnemonic, std::vector<Operand>& ops)
{
    for (const PortVariant& v : kPortVariants)
        if (mnemonic == v.plain)
            for (const Operand& op : ops)
                if (is_port_value(op))
                    return v.port;
    if (ops.size() == 2 && mnemonic == MOV && ops[1].form == Form::A && is_address(ops[0])) {
        ops.pop_back();
        return LDA;
    }
    if (ops.size() == 2 && mnemonic == MOV && ops[0].form == Form::A && is_address(ops[1])) {
        ops.erase(ops.begin());
        return STA;
    }
    if (ops.size() == 2 && mnemonic == CMP && ops[1].form == Form::A && is_address(ops[0])) {
        ops.pop_back();
        return CMPA;
    }
    if (ops.size() == 1 && mnemonic == CMPA && !is_address(ops[0])) {
        Operand a;
        a.form = Form::A;
        ops.push_back(a);
        return CMP;
    }
    return mnemonic;
}

long operand_byte(const Operand& operand, int kind)
{
    if (kind == K_PORT && operand.value >= kPortBase)
        return operand.value - kPortBase;
    return operand.value;
}

int find_cpu(const std::string& cpu)
{
    const std::size_t own = find_processor(cpu);
    if (own < std::size(processors))
        return static_cast<int>(own);
    // The other members of the family, as the common assemblers name them.
    static constexpr const char* kFamily[] = {
        "TMS7001",  "TMS7002",  "TMS7041",  "TMS7042",  "TMS70C00", "TMS70C02",  "TMS70C08",
        "TMS70C20", "TMS70C40", "TMS70C42", "TMS70C48", "TMS70C82", "TMS70CT20", "TMS70CT40",
    };
    const std::string name = upper(cpu);
    for (const char* member : kFamily)
        if (name == member)
            return static_cast<int>(kFamilyProcessor);
    return -1;
}

int choose_opcode(int processor, int mnemonic, const std::vector<Operand>& operands)
{
    if (mnemonic < 0 || mnemonic >= UNDEF || operands.size() > 3)
        return -1;
    int best = -1;
    int best_length = 0;
    int best_cost = 0;
    const FormIndex& forms = index(processor);
    for (const std::uint8_t code : forms.opcodes[static_cast<std::size_t>(mnemonic)]) {
        const Opcode& entry = processors[processor].opcodes[code];
        const int kinds[3] = {entry.p1, entry.p2, entry.p3};
        int cost = 0;
        bool fits = true;
        for (std::size_t i = 0; i < 3 && fits; ++i) {
            if (i >= operands.size()) {
                fits = kinds[i] == K_NONE;
                continue;
            }
            const int f = fit(operands[i], kinds[i]);
            fits = f >= 0;
            cost += f;
        }
        const int length = instruction_length(code);
        if (fits && (best < 0 || length < best_length || (length == best_length && cost < best_cost))) {
            best = code;
            best_length = length;
            best_cost = cost;
        }
    }
    return best;
}

}  // namespace kodasm
