// The kodasm program: command line, files and messages.
#pragma once

namespace kodasm {

extern const char kUsage[];

// The whole run; returns the exit status: 0 when the target file was written, 1 otherwise.
int run(int argc, char** argv);

}  // namespace kodasm
