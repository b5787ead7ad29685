// Runs a built program for the end-to-end tests and captures what it printed.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct RunResult {
    int status = -1;  // exit status, or 128 + signal number when killed
    std::string out;  // standard output
    std::string err;  // standard error
};

struct RunOptions {
    std::string cwd;               // working directory of the child, if not empty
    std::vector<std::string> env;  // extra "NAME=value" entries
    std::string stdout_path;       // send standard output here instead of capturing it
};

inline std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void write_file(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh, empty scratch directory under TMPDIR (or /tmp).
inline std::string make_scratch_dir()
{
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/e2e.XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data()))
        return {};
    return buf.data();
}

// Runs exe with args (argv[0] is exe itself), standard input from /dev/null.
// POSIXLY_CORRECT is removed from the environment unless opts.env sets it.
inline RunResult run_program(const std::string& exe, const std::vector<std::string>& args, const RunOptions& opts = {})
{
    RunResult r;
    char out_tmpl[] = "/tmp/e2e-out.XXXXXX";
    char err_tmpl[] = "/tmp/e2e-err.XXXXXX";
    int out_fd = mkstemp(out_tmpl);
    int err_fd = mkstemp(err_tmpl);
    if (out_fd < 0 || err_fd < 0)
        return r;

    std::vector<std::string> env_strings;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("POSIXLY_CORRECT=", 0) != 0)
            env_strings.emplace_back(*e);
    for (const auto& e : opts.env)
        env_strings.push_back(e);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env_strings)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int in_fd = open("/dev/null", O_RDONLY);
        dup2(in_fd, 0);
        if (!opts.stdout_path.empty()) {
            int fd = open(opts.stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
        } else {
            dup2(out_fd, 1);
        }
        dup2(err_fd, 2);
        if (!opts.cwd.empty() && chdir(opts.cwd.c_str()) != 0)
            _exit(126);
        execve(exe.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    int wstatus = 0;
    if (pid > 0 && waitpid(pid, &wstatus, 0) == pid)
        r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    close(out_fd);
    close(err_fd);
    r.out = read_file(out_tmpl);
    r.err = read_file(err_tmpl);
    unlink(out_tmpl);
    unlink(err_tmpl);
    return r;
}
