// One way of writing an output file: whole or not at all, and nothing that is not a regular
// file ever replaced. libc and POSIX only.
//
//     OutputFile out;
//     if (out.open(path) != OutputFile::kOk)            -> "cannot open target", out.error()
//     if (out.write(data, n) != OutputFile::kOk ||
//         out.commit() != OutputFile::kOk)              -> "cannot write target", out.error()
//
// What open() does with each kind of target:
// - absent, or a regular file with one link: the bytes go to a temporary file in the target's
//   directory, which commit() flushes, syncs and renames over the target. After any failure,
//   and on abandon(), the temporary file is removed and the target keeps its old bytes. An
//   existing target keeps its permission bits (and, where allowed, its owner); a new one gets
//   0666 less the umask.
// - a symbolic link: the file it points to is the target; the link stays.
// - a regular file with more than one link: written in place, so every name sees the new
//   bytes (a failure part way leaves it cut short).
// - any other existing file (a character device, a FIFO): written in place, never replaced.
// - an empty name is refused (ENOENT), as the system refuses to create it.
// - a target that may not be written (no write permission, or a directory without it) is
//   refused before anything changes. Root is refused too when the file, or the directory the
//   temporary file would go in, has no write permission bit at all.
// SIGINT, SIGTERM and SIGHUP, while a temporary file exists, remove it before the program
// ends by the signal as usual (a signal the program ignores stays ignored).
#pragma once

#include <climits>
#include <cstddef>

class OutputFile {
public:
    enum Result { kOk, kRefused, kFailed };

    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { abandon(); }

    // Makes ready to write `path`: kOk, or kRefused with nothing changed.
    Result open(const char* path);
    // Appends n bytes: kOk, or kFailed (and every later call fails the same way).
    Result write(const void* data, std::size_t n);
    // Puts the bytes in place: kOk, or kFailed with the target as described above.
    Result commit();
    // Drops what was written; the target stays as it was. Harmless when nothing is open.
    void abandon();

    // The errno of the failure (EACCES for a refused write-protected target).
    int error() const { return error_; }

private:
    Result fail(int err);

    int fd_ = -1;
    int error_ = 0;
    bool failed_ = false;
    bool regular_ = false;      // fsync before closing: a regular file, in place or temporary
    char temp_[PATH_MAX] = "";  // empty when written in place
    char path_[PATH_MAX] = "";  // the target, symbolic links followed
};
