// One instruction: its operands read into forms, the forms of the manuals turned into the
// opcode map's, the opcode chosen, and (in the second pass) its operand bytes written.
#include "core.h"
#include "hex_text.h"
#include "instructions.h"
#include "opcode_map.h"
#include "processor.h"
#include "operands.h"

namespace kodasm {

namespace {

constexpr int kTraps = 24;  // TRAP 0 to 23

}  // namespace

bool Assembler::instruction(const std::string& word, int mnemonic, std::size_t column)
{
    std::vector<Operand>& operands = operands_;  // kept from line to line: no allocation each
    operands.clear();
    if (!at_end()) {
        for (;;) {
            Operand op;
            if (!read_operand(c_, *this, op))
                return false;
            operands.push_back(op);
            if (end_of_operands())
                break;
            if (c_.peek() != ',')
                return fail(c_.pos, "expected ',' or the end of the line.");
            ++c_.pos;
        }
    }
    int m = mnemonic;
    if (m < 0 && operands.size() == 1 && word == "TST" &&
        (operands[0].form == Form::A || operands[0].form == Form::B)) {
        m = operands[0].form == Form::A ? koddar::TSTA : koddar::TSTB;
        operands.clear();
    }
    if (m < 0)
        return fail(column, "unknown mnemonic " + quote(word) + ".");
    if (m == koddar::TRAP && operands.size() == 1 && operands[0].form == Form::Value && operands[0].known &&
        (operands[0].value < 0 || operands[0].value >= kTraps))
        return fail(operands[0].column, "TRAP numbers go from 0 to 23.");
    // WVDP x is MOVP x,P46, the target computer's video write.
    if (m == koddar::WVDP && !koddar::processors[processor_].video)
        return fail(column, "WVDP is an instruction of the TMS7020 and TMS7040 only.");
    if (m == koddar::WVDP) {
        m = koddar::MOVP;
        Operand video;
        video.form = Form::Port;
        video.value = 46;
        operands.push_back(video);
        if (operands.size() != 2)
            return fail(column, "WVDP takes one operand: A, B or an immediate byte.");
    }
    // The second pass takes the first pass's choice when every operand was known then: the
    // choice depends on the forms and on those values alone.
    const std::size_t at = current_ - 1;
    constexpr int kRewritten = 0x100;  // with the opcode: the manuals' form was turned into the map's
    int code = pass_ == 2 && at < chosen_.size() ? chosen_[at] : -1;
    if (code >= 0) {
        if (code & kRewritten)
            m = rewrite_form(m, operands);
        code &= 0xFF;
    } else {
        int rewritten = 0;
        code = choose_opcode(processor_, m, operands);
        if (code < 0) {
            m = rewrite_form(m, operands);
            code = choose_opcode(processor_, m, operands);
            rewritten = kRewritten;
        }
        bool known = true;
        for (const Operand& op : operands)
            known = known && op.known;
        if (pass_ == 1 && known && code >= 0) {
            if (chosen_.size() <= at)
                chosen_.resize(at + 1, -1);
            chosen_[at] = static_cast<std::int16_t>(code | rewritten);
        }
    }
    if (code < 0 && m == koddar::SWAP && processor_ != static_cast<int>(koddar::kFamilyProcessor))
        return fail(column, "SWAP is an instruction of the family's standard map: write CPU TMS7000 before it.");
    if (code < 0)
        return fail(column, "no form of " + word + " takes these operands.");
    const long length = koddar::instruction_length(static_cast<unsigned>(code));
    if (pass_ == 2 && here_ + length != end_[current_ - 1])
        return fail(column, "the length of this instruction depends on a name defined after it: define it earlier.");
    unsigned char bytes[4] = {static_cast<unsigned char>(code), 0, 0, 0};
    if (pass_ == 2 && !encode(code, operands, bytes))
        return false;
    return emit(bytes, length, column);
}

bool Assembler::encode(int code, const std::vector<Operand>& operands, unsigned char* bytes)
{
    const koddar::Opcode& entry = koddar::processors[processor_].opcodes[code];
    const int kinds[3] = {entry.p1, entry.p2, entry.p3};
    const long length = koddar::instruction_length(static_cast<unsigned>(code));
    long at = 1;
    for (std::size_t i = 0; i < operands.size(); ++i) {
        const Operand& op = operands[i];
        switch (kinds[i]) {
        case koddar::K_REG:
        case koddar::K_INDIRECT:
            if (op.value < 0 || op.value > 255)
                return fail(op.column, "register number " + std::to_string(op.value) + " lies outside 0 to 255.");
            bytes[at++] = static_cast<unsigned char>(op.value);
            break;
        case koddar::K_PORT: {
            const long port = operand_byte(op, kinds[i]);
            if (port < 0 || port > 255)
                return fail(op.column, "port number " + std::to_string(op.value) + " lies outside 0 to 255.");
            bytes[at++] = static_cast<unsigned char>(port);
            break;
        }
        case koddar::K_IMM8:
            if (!in_range(op.value, -128, 255, op.column, "8 bits (-128 to 255)"))
                return false;
            bytes[at++] = static_cast<unsigned char>(op.value & 0xFF);
            break;
        case koddar::K_IMM16:
        case koddar::K_ADDR:
        case koddar::K_DIRECT:
        case koddar::K_INDEXED:
            if (!in_range(op.value, -32768, 65535, op.column, "16 bits (-32768 to 65535)"))
                return false;
            bytes[at++] = static_cast<unsigned char>((op.value >> 8) & 0xFF);
            bytes[at++] = static_cast<unsigned char>(op.value & 0xFF);
            break;
        case koddar::K_REL: {
            if (!in_range(op.value, -32768, 65535, op.column, "16 bits (-32768 to 65535)"))
                return false;
            // The program counter has 16 bits, so a branch wraps around the address space.
            long d = (op.value - (here_ + length)) & 0xFFFF;
            if (d >= 0x8000)
                d -= 0x10000;
            if (d < -128 || d > 127)
                return fail(op.column, "branch target $" + hex4(op.value) + " is out of reach: " + std::to_string(d) +
                                           " bytes away, the limit is -128 to 127.");
            bytes[at++] = static_cast<unsigned char>(d & 0xFF);
            break;
        }
        default: break;  // A, B, ST and TRAP numbers are in the opcode
        }
    }
    return true;
}

}  // namespace kodasm
