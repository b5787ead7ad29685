// Register and port names are the machine facts koddar prints them from, so the two tools can
// never disagree on a name.
#include "registers.h"

#include "register_file.h"

namespace kodasm {

int register_number(const std::string& upper)
{
    return koddar::register_number(upper);
}

int port_number(const std::string& upper)
{
    return koddar::port_number(upper);
}

}  // namespace kodasm
