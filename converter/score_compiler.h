// The score compiler: score text in bufIN to note stream in bufOUT.
#pragma once

#include <cstddef>

// Compiles bufIN (kBufInSize bytes, the text ended by a zero byte) into bufOUT and sets LengthOUT,
// echoing each element on standard output. 0 on success (an empty stream
// included), 1 after one error was reported.
int MUSConv();

// The tokeniser of MUSConv, strtok with the score's ten delimiters over a zero-terminated text:
// next returns each token in turn, overwriting the delimiter behind it, and nullptr once the text
// holds no more.
class Tokeniser {
public:
    explicit Tokeniser(char* text) : scan_(text) {}
    char* next();
    std::size_t size() const { return size_; }  // of the token next returned last

private:
    char* scan_;  // where it goes on, like strtok's hidden position
    std::size_t size_ = 0;
};
