// The converter's messages: the banner and the numbered error messages with their named codes.
#pragma once

constexpr int kSameFile = 1;         // "Same filename for source and target files."
constexpr int kCannotOpen = 2;       // "Cannot open source file."
constexpr int kCannotSave = 3;       // "Cannot save target file."
constexpr int kCannotLoad = 4;       // "When loading source file."
constexpr int kCannotWrite = 5;      // "When saving target file."
constexpr int kMemoryProblem = 6;    // "Memory problem."
constexpr int kBadNote = 7;          // "Not a correct note."
constexpr int kBadStructure = 8;     // "Not a correct REPEAT ... END struture."
constexpr int kBadDuration = 9;      // "Not a correct note duration."
constexpr int kTooLong = 10;         // "Note duration too long."
constexpr int kStreamTooLong = 11;   // "Note stream too long."
constexpr int kSourceTooLarge = 12;  // "Source file too large."
constexpr int kSameOutput = 13;      // "Same file for source file and standard output."

// Banner printed first by every run, on standard output.
void banner();

// Prints "ERROR: " and the message of code `err` on standard error.
void erreur(int err);
