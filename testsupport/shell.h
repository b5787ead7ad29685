// Runs shell command lines the way a user types them: the built programs first on PATH.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "run_program.h"

// Puts the directories of the given programs first on PATH and sets LC_ALL=C, once for the
// whole test program. An empty path (a program that is not built) is left out.
inline void put_programs_on_path(const std::vector<std::string>& programs)
{
    static bool done = false;
    if (done)
        return;
    std::string path;
    for (const std::string& program : programs)
        if (!program.empty())
            path += program.substr(0, program.rfind('/')) + ":";
    const char* old = std::getenv("PATH");
    path += old ? old : "/usr/bin:/bin";
    setenv("PATH", path.c_str(), 1);
    setenv("LC_ALL", "C", 1);
    done = true;
}

// Runs `script` with sh(1) in `dir`; standard input is /dev/null, POSIXLY_CORRECT unset.
inline RunResult run_shell(const std::string& script, const std::string& dir)
{
    return run_program("/bin/sh", {"-c", script}, RunOptions{dir, {}, {}});
}
