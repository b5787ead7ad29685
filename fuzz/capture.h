// Shared by the fuzz targets: standard output and standard error caught in memory for the
// length of one call, and a finding reported as an abort that libFuzzer records.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

// While alive, stdout and stderr are memory streams; text() gives what was printed.
// glibc's stdout and stderr are plain variables, so every printf, fputs and getopt
// diagnostic of the code under test lands here, with no file descriptor touched.
class Capture {
public:
    Capture()
    {
        saved_out_ = stdout;
        saved_err_ = stderr;
        stdout = open_memstream(&out_buf_, &out_len_);
        stderr = open_memstream(&err_buf_, &err_len_);
        if (stdout == nullptr || stderr == nullptr)
            std::abort();
    }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;
    ~Capture()
    {
        restore();
        std::free(out_buf_);
        std::free(err_buf_);
    }
    // Ends the capture and keeps the texts.
    void restore()
    {
        if (stdout == saved_out_)
            return;
        std::fclose(stdout);
        std::fclose(stderr);
        stdout = saved_out_;
        stderr = saved_err_;
        out_ = std::string(out_buf_, out_len_);
        err_ = std::string(err_buf_, err_len_);
    }
    const std::string& out()
    {
        restore();
        return out_;
    }
    const std::string& err()
    {
        restore();
        return err_;
    }

private:
    std::FILE* saved_out_ = nullptr;
    std::FILE* saved_err_ = nullptr;
    char* out_buf_ = nullptr;
    char* err_buf_ = nullptr;
    std::size_t out_len_ = 0;
    std::size_t err_len_ = 0;
    std::string out_;
    std::string err_;
};

// A broken property: say which, and abort so that libFuzzer saves the input.
[[noreturn]] inline void fail(const char* what, const std::string& detail = {})
{
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n%s\n", what, detail.c_str());
    std::abort();
}

inline void check(bool ok, const char* what, const std::string& detail = {})
{
    if (!ok)
        fail(what, detail);
}

inline bool ends_with(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace fuzz
