// Whether an output would land in one of the run's inputs: the test every program makes before
// it writes a target or prints on standard output. libc and POSIX only.
#pragma once

// True when both paths name one existing file, through any links (hard or symbolic).
bool same_existing_file(const char* a, const char* b);

// True when standard output is a regular file and `path` names that file: whatever the
// program prints would be written into it (a shell's `>` has emptied it already, `>>` appends).
bool stdout_is_file(const char* path);
