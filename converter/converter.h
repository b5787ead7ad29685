// State shared by the converter's frame and its score compiler, and the frame's steps.
#pragma once

#include <cstddef>

constexpr int kBufInSize = 64000;
constexpr int kBufOutSize = 32000;

extern char* source;           // path of the score file (first operand)
extern char* target;           // path of the note stream file (second operand)
extern int TypeDest;           // output type, 1 or 3
extern unsigned char* bufIN;   // score text, zero-filled before loading
extern unsigned char* bufOUT;  // note stream being built
extern int LengthIN;           // bytes read from the source
extern int LengthOUT;          // bytes of bufOUT to save, set by a successful compilation

// Parses the command line: 0 when the run may go on, 1 when it must stop
// (the reason has been printed).
int ManageArguments(int argc, char* argv[]);

// Obtains both buffers: 0 on success, 1 after code 6 was reported.
int init();
// Reads the source into bufIN: the byte count, 0 after an error was reported.
int load();
// Writes LengthOUT bytes to the target: the byte count, -1 after an error was reported.
int save();
// Releases whatever buffer was obtained.
void end();
// The exit status: `status`, or 1 after reporting a standard output that could not be written.
int finish(int status);

// Where init obtains its buffers; a test replaces it to make the allocation fail.
extern void* (*buffer_alloc)(std::size_t size);
