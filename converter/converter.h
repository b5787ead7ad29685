// State shared by the converter's frame and its score compiler, and the frame's steps.
#pragma once

#include <cstddef>

#include "buffer_sizes.h"

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

// Whether standard output is the score file (a regular file that a shell's `>` or `>>` made
// it), so that the banner and the echo would be written into the score. Checked before the
// banner; prints nothing.
bool StdoutIsSource(int argc, char* argv[]);

// Obtains both buffers: 0 on success, 1 after code 6 was reported.
int init();
// Reads the source into bufIN: the byte count, 0 after an error was reported.
int load();
// Writes LengthOUT bytes to the target: the byte count, -1 after an error was reported.
int save();
// Releases whatever buffer was obtained.
void end();
// Writes n bytes on standard output (the banner, the usage line, the echo); the reason of the
// first failure is kept for finish.
void write_stdout(const char* text, std::size_t n);
// The exit status `status`, once standard output is flushed and closed; an output that could
// not be written is reported with its reason, and costs the echo only: the status stays.
int finish(int status);

// Where init obtains its buffers; a test replaces it to make the allocation fail.
extern void* (*buffer_alloc)(std::size_t size);
