// Times whole runs of programs side by side. Each round runs every command once, in the
// order given, so that a busy spell of the machine falls on all of them alike; standard
// output goes to a pipe that is read to its end, standard input and standard error to
// /dev/null. Prints one line per command: its name, the median, first and third quartile
// of the wall time in microseconds, and the largest peak resident memory in KiB.
// Usage: timer ROUNDS FILE, where FILE holds one command per line: a name, a tab, then the
// words of the command separated by blanks (run in the current directory).
// The peak memory comes from wait4, which also counts what the child held before it started
// its program: the timer is linked statically and kept small, well below the programs.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Command {
    std::string name;
    std::vector<std::string> words;
    std::vector<double> micros;
    long peak_kib = 0;
};

double now_micros()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// One run; false when the command could not be started or did not exit with status 0 or 1.
bool run_once(Command& c)
{
    int out[2];
    if (pipe(out) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (std::string& w : c.words)
        argv.push_back(&w[0]);
    argv.push_back(nullptr);

    const double start = now_micros();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return false;
    }
    static char sink[1 << 16];
    while (read(out[0], sink, sizeof sink) > 0) {
    }
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    c.micros.push_back(now_micros() - start);
    c.peak_kib = std::max(c.peak_kib, usage.ru_maxrss);
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1;
}

double quantile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    const double at = q * static_cast<double>(v.size() - 1);
    const auto low = static_cast<std::size_t>(at);
    const std::size_t high = std::min(low + 1, v.size() - 1);
    return v[low] + (v[high] - v[low]) * (at - static_cast<double>(low));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: timer ROUNDS FILE\n", stderr);
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    // No iostream: the timer stays small (see run_once).
    std::FILE* file = std::fopen(argv[2], "r");
    std::vector<Command> commands;
    char line[4096];
    while (file != nullptr && std::fgets(line, sizeof line, file) != nullptr) {
        char* tab = std::strchr(line, '\t');
        if (tab == nullptr)
            continue;
        *tab = '\0';
        Command c;
        c.name = line;
        for (char* w = std::strtok(tab + 1, " \n"); w != nullptr; w = std::strtok(nullptr, " \n"))
            c.words.emplace_back(w);
        commands.push_back(c);
    }
    if (file != nullptr)
        std::fclose(file);
    if (rounds < 1 || commands.empty()) {
        std::fputs("timer: nothing to run\n", stderr);
        return 2;
    }
    for (Command& c : commands) {  // one warm-up run each, which also checks the command
        if (!run_once(c)) {
            std::fprintf(stderr, "timer: %s failed\n", c.name.c_str());
            return 1;
        }
        c.micros.clear();
    }
    for (int r = 0; r < rounds; ++r)
        for (Command& c : commands)
            run_once(c);
    for (const Command& c : commands)
        std::printf("%s\t%.0f\t%.0f\t%.0f\t%ld\n", c.name.c_str(), quantile(c.micros, 0.5), quantile(c.micros, 0.25),
                    quantile(c.micros, 0.75), c.peak_kib);
    return 0;
}
