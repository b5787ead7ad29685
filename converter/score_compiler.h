// The score compiler: score text in bufIN to note stream in bufOUT.
#pragma once

// Compiles bufIN (kBufInSize bytes, the text ended by a zero byte) into bufOUT and sets LengthOUT,
// echoing each element on standard output. 0 on success (an empty stream
// included), 1 after one error was reported.
int MUSConv();

// The tokeniser of MUSConv, strtok with the score's ten delimiters: first_token starts on a
// zero-terminated text (and overwrites the delimiter behind each token it returns),
// next_token goes on; both return nullptr once the text holds no more token.
char* first_token(char* text);
char* next_token();
