#include "same_file.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool same_inode(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool same_existing_file(const char* a, const char* b)
{
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && same_inode(sa, sb);
}

bool stdout_is_file(const char* path)
{
    // Only a regular file: a terminal or a pipe may well be both read and written.
    struct stat out, in;
    return fstat(STDOUT_FILENO, &out) == 0 && S_ISREG(out.st_mode) && stat(path, &in) == 0 && same_inode(out, in);
}
