// The converter's buffers and its two files: the score read whole, the stream written whole.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "converter.h"
#include "messages.h"

unsigned char* bufIN = nullptr;
unsigned char* bufOUT = nullptr;
int LengthIN = 0;
int LengthOUT = 0;
void* (*buffer_alloc)(std::size_t size) = std::malloc;

int init()
{
    bufIN = static_cast<unsigned char*>(buffer_alloc(kBufInSize));
    if (!bufIN) {
        erreur(6);
        return 1;
    }
    // The zeros after the text are what ends it for the score compiler.
    std::memset(bufIN, 0, kBufInSize);
    bufOUT = static_cast<unsigned char*>(buffer_alloc(kBufOutSize));
    if (!bufOUT) {
        erreur(6);
        return 1;
    }
    return 0;
}

int load()
{
    std::FILE* f = std::fopen(source, "rb");
    if (!f) {
        erreur(2);
        return 0;
    }
    int longueur = static_cast<int>(std::fread(bufIN, 1, kBufInSize, f));
    std::fclose(f);
    if (longueur == 0) {
        erreur(4);
        return 0;
    }
    // Without a zero byte inside the buffer the text would have no end.
    if (!std::memchr(bufIN, 0, kBufInSize)) {
        erreur(12);
        return 0;
    }
    return longueur;
}

int save()
{
    std::FILE* f = std::fopen(target, "wb");
    if (!f) {
        erreur(3);
        return -1;
    }
    int longueur = static_cast<int>(std::fwrite(bufOUT, 1, static_cast<std::size_t>(LengthOUT), f));
    // A buffered write may fail only when it is flushed by fclose.
    bool closed = std::fclose(f) == 0;
    if (longueur != LengthOUT || !closed) {
        erreur(5);
        return -1;
    }
    std::fflush(stdout);  // the echo comes first when both streams share a file
    std::fprintf(stderr, "%s file written.\n", target);
    return longueur;
}

void end()
{
    std::free(bufIN);
    bufIN = nullptr;
    std::free(bufOUT);
    bufOUT = nullptr;
}
