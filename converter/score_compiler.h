// The score compiler: score text in bufIN to note stream in bufOUT.
#pragma once

// Compiles bufIN (text ended by a zero byte) into bufOUT and sets LengthOUT,
// echoing each element on standard output. 0 on success (an empty stream
// included), 1 after one error was reported.
int MUSConv();
