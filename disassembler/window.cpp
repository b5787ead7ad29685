// The address window: start and end addresses default to the loaded data and must lie in it.
#include "window.h"

#include "address.h"
#include "arguments.h"
#include "decoder.h"
#include "messages.h"

namespace koddar {

bool fix_window(std::int32_t& nb)
{
    // May wrap to a negative address, which then fails any explicit -s or -e.
    const std::int32_t last = sub32(add32(nb, reloc), 1);
    if (debut == 0) {
        debut = reloc;
    } else if (last < debut) {
        erreur(kOutOfRange);
        return false;
    }
    if (fin == 0) {
        fin = last;
    } else if (last < fin) {
        erreur(kOutOfRange);
        return false;
    }
    nb = add32(sub32(fin, reloc), 1);
    a = sub32(debut, reloc);
    return true;
}

}  // namespace koddar
