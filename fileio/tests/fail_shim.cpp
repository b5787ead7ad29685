// Preloaded into a program under test (LD_PRELOAD): makes one call of the program's output
// file fail the way a full disk or a failing device would, without a hook in the program.
// FAIL_AT names it: "write" (ENOSPC), "fsync", "close" or "rename" (EIO), or a signal,
// "SIGINT", "SIGTERM" or "SIGHUP", raised at the first write: a signal while writing.
// Only descriptors above 2 count, so standard output and standard error are left alone
// (stdio writes them through the C library's own calls anyway).
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

bool failing(const char* call)
{
    static const char* const at = std::getenv("FAIL_AT");
    return at && std::strcmp(at, call) == 0;
}

template <class F>
F next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" ssize_t write(int fd, const void* data, size_t n)
{
    if (fd > 2) {
        if (failing("write")) {
            errno = ENOSPC;
            return -1;
        }
        const struct {
            const char* name;
            int sig;
        } signals[] = {{"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}};
        for (const auto& s : signals) {
            if (failing(s.name))
                std::raise(s.sig);
        }
    }
    return next<ssize_t (*)(int, const void*, size_t)>("write")(fd, data, n);
}

extern "C" int fsync(int fd)
{
    if (fd > 2 && failing("fsync")) {
        errno = EIO;
        return -1;
    }
    return next<int (*)(int)>("fsync")(fd);
}

extern "C" int close(int fd)
{
    const int r = next<int (*)(int)>("close")(fd);
    if (r == 0 && fd > 2 && failing("close")) {
        errno = EIO;
        return -1;
    }
    return r;
}

extern "C" int rename(const char* from, const char* to) noexcept
{
    if (failing("rename")) {
        errno = EIO;
        return -1;
    }
    return next<int (*)(const char*, const char*)>("rename")(from, to);
}
