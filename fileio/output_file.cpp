// The temporary file lives beside its target, so that rename() replaces the target in one step
// and two writers of one target each leave a complete file; the last rename wins.
#include "output_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The signals that end a program from the terminal or from a supervisor.
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];
constexpr int kLinkDepth = 40;  // symbolic links followed before ELOOP, as the kernel does
constexpr int kTempSlots = 4;   // temporary files that may exist at once
constexpr std::size_t kNameMax = 255;
constexpr char kTempTail[] = ".XXXXXX";

// What the signal handler removes: the temporary files of this process.
const char* volatile temps[kTempSlots];
int temp_count = 0;
struct sigaction previous[kSignalCount];
bool installed[kSignalCount];

extern "C" void remove_temps_and_end(int sig)
{
    for (const char* volatile& t : temps) {
        const char* path = t;
        if (path)
            unlink(path);
    }
    // Delivered again when the handler returns, now with the default action.
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// Holds the three signals off while the list of temporary files changes.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t set;
        sigemptyset(&set);
        for (int s : kSignals)
            sigaddset(&set, s);
        sigprocmask(SIG_BLOCK, &set, &saved_);
    }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }

private:
    sigset_t saved_;
};

// Called with the signals held. Only a signal left at its default action is taken over.
bool add_temp(const char* path)
{
    for (const char* volatile& t : temps) {
        if (t)
            continue;
        t = path;
        if (temp_count++ == 0) {
            struct sigaction action {};
            action.sa_handler = remove_temps_and_end;
            sigemptyset(&action.sa_mask);
            for (int s : kSignals)
                sigaddset(&action.sa_mask, s);
            for (int i = 0; i < kSignalCount; ++i) {
                installed[i] = sigaction(kSignals[i], nullptr, &previous[i]) == 0 &&
                               !(previous[i].sa_flags & SA_SIGINFO) && previous[i].sa_handler == SIG_DFL &&
                               sigaction(kSignals[i], &action, nullptr) == 0;
            }
        }
        return true;
    }
    return false;
}

void drop_temp(const char* path)
{
    SignalsHeld held;
    for (const char* volatile& t : temps) {
        if (t != path)
            continue;
        t = nullptr;
        if (--temp_count == 0) {
            for (int i = 0; i < kSignalCount; ++i) {
                if (installed[i])
                    sigaction(kSignals[i], &previous[i], nullptr);
            }
        }
    }
}

// The write permission bits count for root as well, whom access() always lets write.
int check_writable(const char* path, const struct stat& st)
{
    if (faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) != 0)
        return errno;
    return (st.st_mode & 0222) == 0 ? EACCES : 0;
}

// Root keeps the old owner; anyone else the group where allowed. Otherwise the new file is
// the writer's, as any file it creates.
bool keep_owner(int fd, const struct stat& st)
{
    return fchown(fd, st.st_uid, st.st_gid) == 0 || fchown(fd, static_cast<uid_t>(-1), st.st_gid) == 0;
}

// Copies n bytes and a terminator into out[size], or fails with ENAMETOOLONG.
int put(char* out, std::size_t size, std::size_t& at, const char* text, std::size_t n)
{
    if (at + n >= size)
        return ENAMETOOLONG;
    std::memcpy(out + at, text, n);
    at += n;
    out[at] = '\0';
    return 0;
}

// The end of the chain of symbolic links that starts at `path`; it need not exist.
int follow_links(const char* path, char (&out)[PATH_MAX])
{
    std::size_t at = 0;
    if (int err = put(out, sizeof out, at, path, std::strlen(path)))
        return err;
    for (int depth = 0; depth < kLinkDepth; ++depth) {
        struct stat st;
        if (lstat(out, &st) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode))
            return 0;
        char link[PATH_MAX];
        const ssize_t n = readlink(out, link, sizeof link);
        if (n < 0)
            return errno;
        if (static_cast<std::size_t>(n) == sizeof link)
            return ENAMETOOLONG;
        // A relative link is read from the directory that holds it.
        const char* slash = std::strrchr(out, '/');
        at = link[0] == '/' || !slash ? 0 : static_cast<std::size_t>(slash - out) + 1;
        if (int err = put(out, sizeof out, at, link, static_cast<std::size_t>(n)))
            return err;
    }
    return ELOOP;
}

// The name of a temporary file ".<name>.XXXXXX" in the directory of `path`, once that
// directory proves writable.
int temp_beside(const char* path, char (&out)[PATH_MAX])
{
    const char* slash = std::strrchr(path, '/');
    const char* name = slash ? slash + 1 : path;
    std::size_t at = 0;
    int err = slash == path ? put(out, sizeof out, at, "/", 1)
              : slash       ? put(out, sizeof out, at, path, static_cast<std::size_t>(slash - path))
                            : put(out, sizeof out, at, ".", 1);
    struct stat dir;
    if (!err)
        err = stat(out, &dir) == 0 ? check_writable(out, dir) : errno;
    // Cut so that the name stays within NAME_MAX.
    std::size_t keep = std::strlen(name);
    if (keep > kNameMax - 1 - (sizeof kTempTail - 1))
        keep = kNameMax - 1 - (sizeof kTempTail - 1);
    if (!err && out[at - 1] != '/')
        err = put(out, sizeof out, at, "/", 1);
    if (!err)
        err = put(out, sizeof out, at, ".", 1);
    if (!err)
        err = put(out, sizeof out, at, name, keep);
    if (!err)
        err = put(out, sizeof out, at, kTempTail, sizeof kTempTail - 1);
    return err;
}

}  // namespace

OutputFile::Result OutputFile::open(const char* path)
{
    abandon();
    error_ = 0;
    failed_ = false;
    auto refuse = [this](int err) {
        abandon();
        error_ = err;
        failed_ = true;
        return kRefused;
    };
    // No file has an empty name; without this the temporary file would be written and the
    // rename fail only at the end.
    if (path[0] == '\0')
        return refuse(ENOENT);
    if (int err = follow_links(path, path_))
        return refuse(err);

    struct stat st;
    const bool exists = stat(path_, &st) == 0;
    if (!exists && errno != ENOENT)
        return refuse(errno);
    if (exists) {
        if (S_ISDIR(st.st_mode))
            return refuse(EISDIR);
        if (int err = check_writable(path_, st))
            return refuse(err);
        regular_ = S_ISREG(st.st_mode);
        if (!regular_ || st.st_nlink > 1) {
            // In place. A regular file is cut only once it is ours, so two writers take turns.
            fd_ = ::open(path_, O_WRONLY | O_NOCTTY);
            if (fd_ < 0)
                return refuse(errno);
            if (regular_ && (flock(fd_, LOCK_EX) != 0 || ftruncate(fd_, 0) != 0))
                return refuse(errno);
            return kOk;
        }
    }
    regular_ = true;

    if (int err = temp_beside(path_, temp_)) {
        temp_[0] = '\0';
        return refuse(err);
    }
    {
        SignalsHeld held;
        fd_ = mkstemp(temp_);
        if (fd_ >= 0 && !add_temp(temp_)) {
            unlink(temp_);
            ::close(fd_);
            fd_ = -1;
            errno = EMFILE;
        }
    }
    if (fd_ < 0) {
        temp_[0] = '\0';
        return refuse(errno);
    }
    if (exists) {
        keep_owner(fd_, st);
        if (fchmod(fd_, st.st_mode & 07777) != 0)
            return refuse(errno);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        if (fchmod(fd_, 0666 & ~mask) != 0)
            return refuse(errno);
    }
    return kOk;
}

OutputFile::Result OutputFile::write(const void* data, std::size_t n)
{
    if (failed_)
        return kFailed;
    if (fd_ < 0)
        return fail(EBADF);
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        const ssize_t done = ::write(fd_, p, n);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return fail(done < 0 ? errno : EIO);
        p += done;
        n -= static_cast<std::size_t>(done);
    }
    return kOk;
}

OutputFile::Result OutputFile::commit()
{
    if (failed_) {
        abandon();
        return kFailed;
    }
    if (fd_ < 0)
        return fail(EBADF);
    if (regular_ && fsync(fd_) != 0)
        return fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return fail(errno);
    if (temp_[0] != '\0') {
        if (std::rename(temp_, path_) != 0)
            return fail(errno);
        drop_temp(temp_);
        temp_[0] = '\0';
    }
    return kOk;
}

void OutputFile::abandon()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (temp_[0] != '\0') {
        unlink(temp_);
        drop_temp(temp_);
        temp_[0] = '\0';
    }
}

OutputFile::Result OutputFile::fail(int err)
{
    abandon();
    error_ = err;
    failed_ = true;
    return kFailed;
}
