// The converter's numbered error messages.
#pragma once

// Error codes of erreur.
constexpr int kSameFile = 1;         // source and target are the same file
constexpr int kCannotOpen = 2;       // the source cannot be opened
constexpr int kCannotSave = 3;       // the target cannot be created
constexpr int kCannotLoad = 4;       // no byte could be read from the source
constexpr int kCannotWrite = 5;      // the stream could not be written whole
constexpr int kMemoryProblem = 6;    // a buffer cannot be obtained
constexpr int kBadNote = 7;          // not a note name, or a section left open
constexpr int kBadStructure = 8;     // REPEAT ... END out of place, or a bad count
constexpr int kBadDuration = 9;      // a missing or zero duration
constexpr int kTooLong = 10;         // a divisor past 65535, or not finite
constexpr int kStreamTooLong = 11;   // the stream would pass the output buffer
constexpr int kSourceTooLarge = 12;  // the source fills the input buffer with no end

// Prints "ERROR: " and the message of code `err` on standard error.
void erreur(int err);
