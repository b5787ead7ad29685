// The numbers of a score (tempo, repeat counts, durations) and the divisor of a note.
#pragma once

#include <cstddef>

// Tempo and repeat count: a decimal prefix, 0 without digits, saturated at 2147483647.
int read_count(const char* token);
// The same of a token of n bytes: a token of at most four digits is read without strtol.
int read_count(const char* token, std::size_t n);

// Duration: the nearest double to the token's floating prefix, then rounded to float.
float read_duration(const char* token);

// The note's length before rounding up: in periods of `freq` for output type 1,
// in sixty-sixths of a second for type 3.
double divisor_quotient(int type, float freq, float duration, int tempo);

// The divisor 1..65535, or 0 when the note is too long or its length not finite.
int compute_diviseur(int type, float freq, float duration, int tempo);
