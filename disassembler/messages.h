// The messages of erreur with their named codes.
#pragma once

namespace koddar {

constexpr int kMemoryProblem = 2;  // "Memory problem."
constexpr int kCannotOpen = 3;     // "Cannot open source file."
constexpr int kOutOfRange = 4;     // "Dump address out of range."
constexpr int kCannotWrite = 5;    // "Cannot write standard output: " and the reason in errno

// "Cannot write standard output: " and the reason err (an errno value; 0 reads as EIO).
void cannot_write_output(int err);

// Prints the message of code err on the standard error; an unknown code prints nothing.
void erreur(int err);

}  // namespace koddar
