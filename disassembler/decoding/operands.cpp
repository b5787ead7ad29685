// The operand formatter: reads each operand's bytes through Mgetc, extends the hex column
// and writes the operand column, with the LVDP and WVDP rules of the target computer.
#include "decoder.h"
#include "fields.h"
#include "operand_reader.h"

namespace koddar {

using operand_texts::Reader;

void Decod(int op, int p1, int p2, int p3)
{
    // The hex column holds at most 8 address digits, a blank, the opcode and 3 operand bytes.
    static_assert(sizeof hexa > 8 + 1 + 2 + 2 * 3);
    Reader r{op, processors[processor].video, a, hexa + hexa_length, Cursor(param)};
    first_operand(r, p1);
    second_operand(r, p2);
    third_operand(r, p3);
    mnemo = name[r.op];
    mnemonic = static_cast<Mnemonic>(r.op);
    a = r.at;
    hexa_length = static_cast<std::size_t>(r.hex - hexa);
    param_length = r.out.size();
}

}  // namespace koddar
