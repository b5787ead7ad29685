// What melplay needs of the note table: a name, a frequency and a length for each note code.
#pragma once

namespace melplay {

constexpr int kFirstCode = 1;  // REST
constexpr int kLastCode = 95;  // B7

// The first name of the note table with this code (C#4 rather than Db4, B0 rather than
// Cb1, REST for 1); nullptr for a code no row has.
const char* note_name(int code);

// The table's frequency of the code in hertz (100 for REST); 0 for a code no row has.
float note_frequency(int code);

// How long a note event lasts in seconds: type 1 counts periods of the note's frequency,
// type 3 sixty-sixths of a second.
double note_seconds(int type, int code, unsigned divisor);

}  // namespace melplay
