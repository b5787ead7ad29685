// Bounded reading and whole-file writing for kodasm.
#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kodasm {

namespace {

std::string cannot_write(const std::string& path, int err)
{
    return "Cannot write " + path + ": " + std::strerror(err) + ".\n";
}

}  // namespace

bool read_source(const std::string& path, std::string& text, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        error = "Cannot open source file " + path + ": " + std::strerror(errno) + ".\n";
        return false;
    }
    text.clear();
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::size_t>(st.st_size) <= kMaxSource)
        text.reserve(static_cast<std::size_t>(st.st_size));  // one allocation for a regular file
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "Cannot read source file " + path + ": " + std::strerror(errno) + ".\n";
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        if (text.size() + static_cast<std::size_t>(n) > kMaxSource) {
            error = "Source file " + path + " is larger than 16 MiB.\n";
            ::close(fd);
            return false;
        }
        text.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

bool same_file(const std::string& x, const std::string& y)
{
    struct stat sx, sy;
    return ::stat(x.c_str(), &sx) == 0 && ::stat(y.c_str(), &sy) == 0 && sx.st_dev == sy.st_dev &&
           sx.st_ino == sy.st_ino;
}

bool stage(OutputFile& out, const std::string& path, const std::string& bytes, std::string& error)
{
    if (out.open(path.c_str()) != OutputFile::kOk || out.write(bytes.data(), bytes.size()) != OutputFile::kOk) {
        error = cannot_write(path, out.error());
        return false;
    }
    return true;
}

bool commit(OutputFile& out, const std::string& path, std::string& error)
{
    if (out.commit() != OutputFile::kOk) {
        error = cannot_write(path, out.error());
        return false;
    }
    return true;
}

}  // namespace kodasm
