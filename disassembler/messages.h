// The messages of erreur with their named codes.
#pragma once

namespace koddar {

constexpr int kMemoryProblem = 2;  // "Memory problem."
constexpr int kCannotOpen = 3;     // "Cannot open source file."
constexpr int kOutOfRange = 4;     // "Dump address out of range."
constexpr int kCannotWrite = 5;    // "Cannot write listing."

// Prints the message of code err on the standard error; an unknown code prints nothing.
void erreur(int err);

}  // namespace koddar
