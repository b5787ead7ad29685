// Jump tables, found in traced code in three forms:
// - BR @T(B) or CALL @T(B) over a run of JMP or BR instructions at T: each of them is code;
// - LDA @T(B), then LDA @T+1(B), then BR *Rn or CALL *Rn: T is a table of addresses, its
//   length a guess: the words from T on while each holds the address of a defined opcode in
//   the image, no byte of the table is claimed or referenced, and at most 128 of them;
// - MOVD %T,Rn, then BR *Rn or CALL *Rn with no instruction between them naming Rn or the
//   register before it: T is code.
#include <cstdint>

#include "analysis.h"
#include "claims.h"
#include "active_map.h"

namespace koddar {

namespace {

constexpr int kLookAhead = 6;     // instructions between the pieces of a form
constexpr int kMaxEntries = 128;  // B indexes at most 256 bytes

constexpr unsigned kBrIndexed = 0xAC, kCallIndexed = 0xAE, kLdaIndexed = 0xAA, kMovdImmediate = 0x88;
constexpr unsigned kNoRegister = 256;
constexpr unsigned kBrIndirect = 0x9C, kCallIndirect = 0x9E, kJmp = 0xE0, kBr = 0x8C;

class TableReader {
public:
    TableReader(Map& map, const Trace& trace, const unsigned char* image, std::int32_t length, std::int32_t reloc)
        : map_(map), trace_(trace), c_(map, trace, reloc), image_(image), length_(length), reloc_(reloc)
    {
    }

    std::vector<std::int32_t> entries(std::vector<std::int32_t>& words, std::int32_t& tables);

private:
    bool inside(std::int32_t off) const { return off >= 0 && off < length_; }
    unsigned byte(std::int32_t off) const { return inside(off) ? image_[off] : 0; }
    std::int32_t word_offset(std::int32_t off) const
    {
        return sub32(static_cast<std::int32_t>(byte(off) << 8 | byte(off + 1)), reloc_);
    }
    bool code_start(std::int32_t off) const
    {
        return inside(off) && trace_.use[static_cast<std::size_t>(off)] == Use::Code;
    }
    // The next traced instruction after the one at `off`, or -1.
    std::int32_t next(std::int32_t off) const
    {
        const std::int32_t n = off + instruction_length(byte(off));
        return code_start(n) && !flow_at(image_, length_, reloc_, off).ends ? n : -1;
    }
    bool names_register(std::int32_t off, unsigned reg) const;
    bool indirect_branch_after(std::int32_t off) const;
    std::int32_t find_after(std::int32_t off, unsigned opcode, unsigned operand, unsigned reg) const;
    void jump_run(std::int32_t t);
    void address_table(std::int32_t t);
    void loaded_address(std::int32_t off);

    Map& map_;
    const Trace& trace_;
    Claims c_;
    const unsigned char* image_;
    std::int32_t length_;
    std::int32_t reloc_;
    std::vector<std::int32_t> found_;
    std::vector<std::int32_t> words_;  // the addresses in tables of addresses
    std::int32_t tables_ = 0;
};

// Whether a register operand of the instruction at `off` is `reg` or the register before it.
bool TableReader::names_register(std::int32_t off, unsigned reg) const
{
    const Opcode& e = active_map()[byte(off)];
    std::int32_t at = off + 1;
    for (const int kind : {e.p1, e.p2, e.p3}) {
        if ((kind == K_REG || kind == K_INDIRECT) && (byte(at) == reg || byte(at) + 1 == reg))
            return true;
        at += operand_bytes(kind);
    }
    return false;
}

// The instruction within kLookAhead after `off` whose opcode is `opcode` and whose first
// operand byte is `operand` (a register: none between may name `reg`); -1 when there is none.
std::int32_t TableReader::find_after(std::int32_t off, unsigned opcode, unsigned operand, unsigned reg) const
{
    for (int i = 0; i < kLookAhead; ++i) {
        off = next(off);
        if (off < 0)
            return -1;
        if (byte(off) == opcode && byte(off + 1) == operand)
            return off;
        if (reg != kNoRegister && names_register(off, reg))
            return -1;
    }
    return -1;
}

bool TableReader::indirect_branch_after(std::int32_t off) const
{
    for (int i = 0; i < kLookAhead; ++i) {
        off = next(off);
        if (off < 0)
            return false;
        if (byte(off) == kBrIndirect || byte(off) == kCallIndirect)
            return true;
    }
    return false;
}

void TableReader::jump_run(std::int32_t t)
{
    const unsigned kind = byte(t);
    if (kind != kJmp && kind != kBr)
        return;
    const int size = instruction_length(kind);
    for (int n = 0; n < kMaxEntries && byte(t) == kind; ++n, t += size) {
        for (int i = 0; i < size; ++i)
            if (!c_.free(t + i))
                return;
        found_.push_back(add32(reloc_, t));
    }
}

void TableReader::address_table(std::int32_t t)
{
    int n = 0;
    for (std::int32_t at = t; n < kMaxEntries; at += 2, ++n) {
        const std::int32_t target = word_offset(at);
        // T and T+1 are read by the LDA pair; a reference to any later byte starts other data.
        const bool fits =
            c_.free(at) && c_.free(at + 1) && (at == t || !c_.referenced(at)) && (at == t || !c_.referenced(at + 1));
        if (!fits || !inside(target) || active_map()[byte(target)].op == UNDEF ||
            trace_.use[static_cast<std::size_t>(target)] == Use::CodeMore)
            break;
    }
    if (n < 2)
        return;
    map_.ranges.push_back({add32(reloc_, t), add32(reloc_, t + 2 * n - 1), DataKind::Addrs, kTableLine});
    for (int i = 0; i < n; ++i) {
        c_.take(t + 2 * i);
        c_.take(t + 2 * i + 1);
        words_.push_back(add32(reloc_, word_offset(t + 2 * i)));
    }
    ++tables_;
}

// MOVD %T,Rn feeding BR *Rn or CALL *Rn.
void TableReader::loaded_address(std::int32_t off)
{
    const unsigned reg = byte(off + 3);
    const std::int32_t t = word_offset(off + 1);
    if (!inside(t) || !c_.free(t) || active_map()[byte(t)].op == UNDEF)
        return;
    if (find_after(off, kBrIndirect, reg, reg) >= 0 || find_after(off, kCallIndirect, reg, reg) >= 0)
        found_.push_back(add32(reloc_, t));
}

std::vector<std::int32_t> TableReader::entries(std::vector<std::int32_t>& words, std::int32_t& tables)
{
    // From instruction to instruction: the bytes inside one start none. The trace's bytes are
    // read through a pointer taken once, as this runs over the whole image every round.
    const Use* const use = trace_.use.data();
    for (std::int32_t off = 0; off < length_;) {
        if (use[off] != Use::Code) {
            ++off;
            continue;
        }
        const unsigned opcode = image_[off];
        if (opcode == kBrIndexed || opcode == kCallIndexed) {
            jump_run(word_offset(off + 1));
        } else if (opcode == kLdaIndexed) {
            const std::int32_t t = word_offset(off + 1);
            const auto second = static_cast<std::uint32_t>(add32(reloc_, t)) + 1;  // T+1
            const std::int32_t low = find_after(off, kLdaIndexed, (second >> 8) & 0xFF, kNoRegister);
            if (low >= 0 && byte(low + 2) == (second & 0xFF) && indirect_branch_after(low) && c_.free(t))
                address_table(t);
        } else if (opcode == kMovdImmediate) {
            loaded_address(off);
        }
        off += instruction_length(opcode);
    }
    tables = tables_;
    words = words_;
    return found_;
}

}  // namespace

std::vector<std::int32_t> jump_table_entries(Map& map, const Trace& trace, const unsigned char* image,
                                             std::int32_t length, std::int32_t reloc, std::vector<std::int32_t>& words,
                                             std::int32_t& tables)
{
    return TableReader(map, trace, image, length, reloc).entries(words, tables);
}

}  // namespace koddar
