// The converter's buffers and its two files: the score read whole, the stream written whole.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "converter.h"
#include "messages.h"
#include "output_file.h"

unsigned char* bufIN = nullptr;
unsigned char* bufOUT = nullptr;
int LengthIN = 0;
int LengthOUT = 0;
void* (*buffer_alloc)(std::size_t size) = std::malloc;

namespace {

int stdout_errno = 0;  // why standard output first failed, 0 while it has not

}  // namespace

void write_stdout(const char* text, std::size_t n)
{
    if (std::fwrite(text, 1, n, stdout) != n && stdout_errno == 0)
        stdout_errno = errno != 0 ? errno : EIO;
}

int init()
{
    bufIN = static_cast<unsigned char*>(buffer_alloc(kBufInSize));
    if (!bufIN) {
        erreur(kMemoryProblem);
        return 1;
    }
    // The zeros after the text are what ends it for the score compiler.
    std::memset(bufIN, 0, kBufInSize);
    bufOUT = static_cast<unsigned char*>(buffer_alloc(kBufOutSize));
    if (!bufOUT) {
        erreur(kMemoryProblem);
        return 1;
    }
    return 0;
}

int load()
{
    std::FILE* f = std::fopen(source, "rb");
    if (!f) {
        erreur(kCannotOpen);
        return 0;
    }
    int longueur = static_cast<int>(std::fread(bufIN, 1, kBufInSize, f));
    std::fclose(f);
    if (longueur == 0) {
        erreur(kCannotLoad);
        return 0;
    }
    // Without a zero byte inside the buffer the text would have no end.
    if (!std::memchr(bufIN, 0, kBufInSize)) {
        erreur(kSourceTooLarge);
        return 0;
    }
    // Some editors put a UTF-8 byte order mark first; it is no part of the score.
    static const unsigned char kByteOrderMark[] = {0xEF, 0xBB, 0xBF};
    if (std::memcmp(bufIN, kByteOrderMark, sizeof kByteOrderMark) == 0) {
        std::memmove(bufIN, bufIN + sizeof kByteOrderMark, kBufInSize - sizeof kByteOrderMark);
        std::memset(bufIN + kBufInSize - sizeof kByteOrderMark, 0, sizeof kByteOrderMark);
    }
    return longueur;
}

int save()
{
    // Any tempo gives at least the final byte: an empty stream means the score had none.
    if (LengthOUT == 0) {
        std::fflush(stdout);
        std::fputs("WARNING: No tempo at the start of the score, so the note stream is empty.\n", stderr);
    }
    OutputFile out;
    if (out.open(target) != OutputFile::kOk) {
        erreur(kCannotSave);
        return -1;
    }
    if (out.write(bufOUT, static_cast<std::size_t>(LengthOUT)) != OutputFile::kOk || out.commit() != OutputFile::kOk) {
        erreur(kCannotWrite);
        return -1;
    }
    std::fflush(stdout);  // the echo comes first when both streams share a file
    std::fprintf(stderr, "%s file written.\n", target);
    return LengthOUT;
}

int finish(int status)
{
    // Flushed, checked and closed: a write error may show only at any of the three.
    int err = stdout_errno;
    if (std::fflush(stdout) != 0 && err == 0)
        err = errno;
    if (std::ferror(stdout) && err == 0)
        err = EIO;
    if (close(STDOUT_FILENO) != 0 && err == 0)
        err = errno;
    // The note stream is what the status speaks of; the echo is only shown.
    if (err != 0)
        std::fprintf(stderr, "Cannot write standard output: %s.\n", std::strerror(err));
    return status;
}

void end()
{
    std::free(bufIN);
    bufIN = nullptr;
    std::free(bufOUT);
    bufOUT = nullptr;
}
