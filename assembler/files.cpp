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

std::string directory_of(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool write_all(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
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

bool write_file(const std::string& path, const std::string& bytes, std::string& error)
{
    auto fail = [&](int err) {
        error = "Cannot write " + path + ": " + std::strerror(err) + ".\n";
        return false;
    };
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode))
            return fail(EISDIR);
        const int fd = ::open(path.c_str(), O_WRONLY);  // a device or FIFO: written in place
        if (fd < 0)
            return fail(errno);
        const bool ok = write_all(fd, bytes);
        const int err = errno;
        ::close(fd);
        return ok ? true : fail(err ? err : EIO);
    }
    std::string temp = directory_of(path) + "/.kodasm-XXXXXX";
    const int fd = ::mkstemp(&temp[0]);
    if (fd < 0)
        return fail(errno);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    int err = 0;
    if (::fchmod(fd, 0666 & ~mask) != 0 || !write_all(fd, bytes) || ::fsync(fd) != 0)
        err = errno ? errno : EIO;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && std::rename(temp.c_str(), path.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return fail(err);
    }
    return true;
}

}  // namespace kodasm
