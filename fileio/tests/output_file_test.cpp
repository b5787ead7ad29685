// Output files through the built programs: every kind of target, with a failure or a signal
// at each step of the write, checked for the target's bytes and mode, the messages and the
// status; signals from outside during a long write; concurrent writers of one target.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "output_file.h"
#include "run_program.h"
#include "scratch_test.h"

namespace {

const std::string kOld("\x00\x80\xff old bytes\r\n", 15);
constexpr mode_t kUmask = 027;  // a new file gets 0640, unlike any mode set below
constexpr mode_t kOldMode = 0604;
const std::string kScore = "120 C4 1 REPEAT 2 D4 0.5 REST 0.25 END\n";
const std::string kTinyStream("\x30\x01\x00\x00", 4);  // one short C4: a preview of 1380 bytes
const std::string kMelplayBanner = "Melplay 2026.12 - note stream checker, lister and previewer\n";

// Starts a program in `cwd` under the umask above, its output in files; the environment is
// ours plus `env` (LD_PRELOAD and ASAN_OPTIONS merged rather than doubled).
// With a `gate`, the program starts only once a byte can be read from it.
pid_t spawn(const std::vector<std::string>& args, const std::string& cwd, const std::vector<std::string>& env,
            const std::string& out, const std::string& err, int gate = -1)
{
    std::vector<std::string> vars;
    std::string asan = "ASAN_OPTIONS=verify_asan_link_order=0";
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("ASAN_OPTIONS=", 0) == 0)
            asan += ":" + v.substr(13);
        else if (v.rfind("POSIXLY_CORRECT=", 0) != 0)
            vars.push_back(v);
    }
    vars.push_back(asan);
    vars.insert(vars.end(), env.begin(), env.end());
    std::vector<char*> argv, envp;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (auto& v : vars)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        umask(kUmask);
        const int in = ::open("/dev/null", O_RDONLY);
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || o < 0 || e < 0 || dup2(in, 0) < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0 || chdir(cwd.c_str()))
            _exit(126);
        char go;
        if (gate >= 0 && read(gate, &go, 1) != 1)
            _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    return pid;
}

// The exit status, or 128 + the signal that ended the program.
int wait_for(pid_t pid)
{
    int w = 0;
    if (waitpid(pid, &w, 0) != pid)
        return -1;
    return WIFEXITED(w) ? WEXITSTATUS(w) : 128 + WTERMSIG(w);
}

// Every name under `dir`, subdirectories included, as "sub/name".
void names_under(const std::string& dir, const std::string& prefix, std::set<std::string>& names)
{
    DIR* d = opendir(dir.c_str());
    if (!d)
        return;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        names.insert(prefix + name);
        if (e->d_type == DT_DIR)
            names_under(dir + "/" + name, prefix + name + "/", names);
    }
    closedir(d);
}

struct Program {
    const char* name;
    const char* exe;
    std::vector<std::string> (*args)(const std::string& target);
    std::string err_prefix;  // the banner, when it goes to standard error
    std::string (*written)(const std::string& target);
    std::string (*refused)(const std::string& target);
    std::string (*failed)(const std::string& target, int err);
};

// The dynamically linked twins of the programs: a static program ignores LD_PRELOAD, and the
// faults the table expects would then not happen (a run meant to fail would succeed).
const Program kPrograms[] = {
    {"melvox", MELVOX_DYNAMIC_PATH,
     [](const std::string& t) {
         return std::vector<std::string>{MELVOX_DYNAMIC_PATH, "s.txt", t};
     },
     "", [](const std::string& t) { return t + " file written.\n"; },
     [](const std::string&) { return std::string("ERROR: Cannot save target file.\n"); },
     [](const std::string&, int) { return std::string("ERROR: When saving target file.\n"); }},
    {"melplay", MELPLAY_DYNAMIC_PATH,
     [](const std::string& t) {
         return std::vector<std::string>{MELPLAY_DYNAMIC_PATH, "s.bin", "-t:3", "-w:" + t};
     },
     kMelplayBanner, [](const std::string& t) { return t + " file written.\n"; },
     [](const std::string& t) { return "Cannot write preview file " + t + ": " + std::strerror(EACCES) + ".\n"; },
     [](const std::string& t, int err) {
         return "Cannot write preview file " + t + ": " + std::strerror(err) + ".\n";
     }},
};

enum class Target {
    kAbsent,
    kRegular,
    kProtected,
    kProtectedDir,
    kLink,
    kDanglingLink,
    kHardLink,
    kFifo,
    kNull,
    kFull
};

// What a run leaves:
//   W  written: status 0, the target holds the new bytes
//   O  failed, the target as it was (absent if it was)     C  failed, the target cut to nothing
//   c  failed, but the new bytes already in place          R  refused: nothing changed
//   K  ended by the signal, the target as it was           k  ended by the signal, cut to nothing
// On a device the bytes cannot be seen; it must stay the same device.
struct Scenario {
    const char* name;
    Target kind;
    const char* path;      // the target operand, relative to the scratch directory
    const char* resolved;  // the file that gets the bytes
    const char* outcomes;  // one letter per fault, in the order of kFaults
};

const char* const kFaults[] = {"", "write", "fsync", "close", "rename", "SIGINT", "SIGTERM", "SIGHUP"};

// clang-format off
const Scenario kScenarios[] = {
    //                                                            none write fsync close rename INT TERM HUP
    {"absent",                 Target::kAbsent,       "out",    "out",    "WOOOOKKK"},
    {"regular",                Target::kRegular,      "out",    "out",    "WOOOOKKK"},
    {"write-protected",        Target::kProtected,    "out",    "out",    "RRRRRRRR"},
    {"directory not writable", Target::kProtectedDir, "ro/out", "ro/out", "RRRRRRRR"},
    {"symbolic link",          Target::kLink,         "link",   "real",   "WOOOOKKK"},
    {"dangling symbolic link", Target::kDanglingLink, "link",   "real",   "WOOOOKKK"},
    {"hard link",              Target::kHardLink,     "out",    "out",    "WCccWkkk"},
    {"FIFO",                   Target::kFifo,         "fifo",   "fifo",   "WCWcWkkk"},
    {"null device",            Target::kNull,         "null",   "null",   "WCWcWkkk"},
    {"full device",            Target::kFull,         "full",   "full",   "CCCCCkkk"},
};
// clang-format on

class OutputFiles : public ScratchTest<> {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        work = dir + "/w";
        // The new bytes each program writes, from a plain run.
        for (const auto& p : kPrograms) {
            reset();
            const int status = wait_for(spawn(p.args("out"), work, {}, dir + "/o", dir + "/e"));
            ASSERT_EQ(status, 0) << p.name << ": " << read_file(dir + "/e");
            expected.push_back(read_file(work + "/out"));
            ASSERT_FALSE(expected.back().empty());
        }
    }
    void TearDown() override
    {
        chmod((work + "/ro").c_str(), 0755);
        ScratchTest::TearDown();
    }
    // A fresh working directory with the inputs of both programs.
    void reset()
    {
        chmod((work + "/ro").c_str(), 0755);
        std::error_code ec;
        std::filesystem::remove_all(work, ec);
        mkdir(work.c_str(), 0755);
        write_file(work + "/s.txt", kScore);
        write_file(work + "/s.bin", kTinyStream);
    }
    // Makes the target; false when this machine does not let us (mknod).
    bool make(Target kind)
    {
        const std::string out = work + "/out";
        auto old_file = [](const std::string& path, mode_t mode) {
            write_file(path, kOld);
            chmod(path.c_str(), mode);
            if (geteuid() == 0) {
                EXPECT_EQ(chown(path.c_str(), 1234, 1234), 0);  // root keeps another's owner
            }
        };
        switch (kind) {
        case Target::kAbsent: return true;
        case Target::kRegular: old_file(out, kOldMode); return true;
        case Target::kProtected: old_file(out, 0444); return true;
        case Target::kProtectedDir:
            mkdir((work + "/ro").c_str(), 0755);
            old_file(work + "/ro/out", kOldMode);
            chmod((work + "/ro").c_str(), 0555);
            return true;
        case Target::kLink: old_file(work + "/real", kOldMode); return symlink("real", (work + "/link").c_str()) == 0;
        case Target::kDanglingLink: return symlink("real", (work + "/link").c_str()) == 0;
        case Target::kHardLink: old_file(out, kOldMode); return link(out.c_str(), (work + "/twin").c_str()) == 0;
        case Target::kFifo: return mkfifo((work + "/fifo").c_str(), 0644) == 0;
        case Target::kNull: return mknod((work + "/null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
        case Target::kFull: return mknod((work + "/full").c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0;
        }
        return false;
    }
    std::string work;
    std::vector<std::string> expected;  // per program
};

TEST_F(OutputFiles, EveryTargetKindAtEveryFailurePoint)
{
    const std::string shim = "LD_PRELOAD=" FAIL_SHIM_PATH;
    int skipped = 0;
    for (const auto& s : kScenarios) {
        for (std::size_t f = 0; f < std::size(kFaults); ++f) {
            for (std::size_t p = 0; p < std::size(kPrograms); ++p) {
                const Program& prog = kPrograms[p];
                const std::string fault = kFaults[f];
                SCOPED_TRACE(std::string(prog.name) + ", " + s.name + ", fault " + (fault.empty() ? "none" : fault));
                reset();
                if (!make(s.kind)) {
                    ++skipped;
                    continue;
                }
                const std::string target = work + "/" + s.resolved;
                struct stat before {};
                const bool existed = stat(target.c_str(), &before) == 0;
                std::set<std::string> names_before;
                names_under(work, "", names_before);
                int reader = -1;
                if (s.kind == Target::kFifo)
                    reader = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);

                std::vector<std::string> env = {shim};
                if (!fault.empty())
                    env.push_back("FAIL_AT=" + fault);
                const int status = wait_for(spawn(prog.args(s.path), work, env, dir + "/o", dir + "/e"));
                const std::string err = read_file(dir + "/e");

                std::string bytes;
                if (reader >= 0) {
                    char buf[4096];
                    ssize_t n;
                    while ((n = read(reader, buf, sizeof buf)) > 0)
                        bytes.append(buf, static_cast<std::size_t>(n));
                    ::close(reader);
                } else if (s.kind != Target::kNull && s.kind != Target::kFull) {
                    bytes = existed || access(target.c_str(), F_OK) == 0 ? read_file(target) : "<absent>";
                }

                // Status and messages.
                const char outcome = s.outcomes[f];
                const int sig = f >= 5 ? (f == 5 ? SIGINT : f == 6 ? SIGTERM : SIGHUP) : 0;
                const int err_no = s.kind == Target::kFull || fault == "write" ? ENOSPC : EIO;
                switch (outcome) {
                case 'W':
                    EXPECT_EQ(status, 0);
                    EXPECT_EQ(err, prog.err_prefix + prog.written(s.path));
                    break;
                case 'R':
                    EXPECT_EQ(status, 1);
                    EXPECT_EQ(err, prog.err_prefix + prog.refused(s.path));
                    break;
                case 'K':
                case 'k':
                    EXPECT_EQ(status, 128 + sig);
                    EXPECT_EQ(err, prog.err_prefix);
                    break;
                default: EXPECT_EQ(status, 1); EXPECT_EQ(err, prog.err_prefix + prog.failed(s.path, err_no));
                }

                // The bytes.
                const std::string old = existed ? kOld : "<absent>";
                if (s.kind == Target::kNull || s.kind == Target::kFull) {
                    struct stat after {};
                    EXPECT_EQ(lstat(target.c_str(), &after), 0);
                    EXPECT_TRUE(S_ISCHR(after.st_mode));
                    EXPECT_EQ(after.st_rdev, before.st_rdev);
                } else if (outcome == 'W' || outcome == 'c') {
                    EXPECT_EQ(bytes, expected[p]);
                } else if (outcome == 'C' || outcome == 'k') {
                    EXPECT_EQ(bytes, "");
                } else {
                    EXPECT_EQ(bytes, s.kind == Target::kFifo ? "" : old);
                }

                // Mode and owner: kept when the file existed, 0666 less the umask when it is new.
                struct stat after {};
                if (stat(target.c_str(), &after) == 0 && S_ISREG(after.st_mode)) {
                    EXPECT_EQ(after.st_mode & 07777, existed ? before.st_mode & 07777 : 0666 & ~kUmask);
                    if (existed) {
                        EXPECT_EQ(after.st_uid, before.st_uid);
                    }
                }
                // Links stay links; hard links keep sharing their bytes.
                if (s.kind == Target::kLink || s.kind == Target::kDanglingLink) {
                    char text[16] = {};
                    EXPECT_EQ(readlink((work + "/link").c_str(), text, sizeof text - 1), 4);
                    EXPECT_STREQ(text, "real");
                }
                if (s.kind == Target::kHardLink) {
                    struct stat twin {};
                    EXPECT_EQ(stat((work + "/twin").c_str(), &twin), 0);
                    EXPECT_EQ(twin.st_ino, after.st_ino);
                    EXPECT_EQ(twin.st_nlink, 2u);
                }
                // No temporary file left behind; only the new target added.
                std::set<std::string> names_after;
                names_under(work, "", names_after);
                names_before.insert(s.resolved);
                for (const auto& n : names_after)
                    EXPECT_TRUE(names_before.count(n)) << n;
            }
        }
    }
    if (skipped)
        std::printf("%d runs skipped: device nodes may not be made here\n", skipped);
}

// A signal from outside, part way through writing a ten-minute preview.
TEST_F(OutputFiles, SignalDuringALongPreviewRemovesTheTemporaryFile)
{
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(sig));
        reset();
        write_file(work + "/long.bin", std::string("\x30\xB0\x9A\x00", 4));  // C4 for 39600/66 s
        write_file(work + "/out.wav", kOld);
        const pid_t pid = spawn({MELPLAY_PATH, "long.bin", "-t:3", "-w:out.wav"}, work, {}, dir + "/o", dir + "/e");
        bool seen = false;
        for (int i = 0; i < 5000 && !seen; ++i) {
            std::set<std::string> names;
            names_under(work, "", names);
            for (const auto& n : names)
                seen = seen || n.rfind(".out.wav.", 0) == 0;
            if (!seen)
                usleep(1000);
        }
        EXPECT_TRUE(seen);
        kill(pid, sig);
        EXPECT_EQ(wait_for(pid), 128 + sig);
        std::set<std::string> names;
        names_under(work, "", names);
        EXPECT_EQ(names, (std::set<std::string>{"long.bin", "out.wav", "s.bin", "s.txt"}));
        EXPECT_EQ(read_file(work + "/out.wav"), kOld);
    }
}

// Two runs on one target at once: it always ends as the whole output of one of them. Both
// start together and take equally long, so their writes meet; each stream is long enough that
// a careless writer issues it in several writes.
TEST_F(OutputFiles, ConcurrentWritersLeaveOneCompleteOutput)
{
    reset();
    std::string a = "100", b = "100";
    for (int i = 0; i < 1500; ++i) {
        a += " E3 1 G3 1";
        b += " F3 1 A3 1";
    }
    write_file(work + "/a.txt", a);
    write_file(work + "/b.txt", b);
    std::string streams[2];
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(wait_for(spawn({MELVOX_PATH, i ? "b.txt" : "a.txt", "out"}, work, {}, dir + "/o", dir + "/e")), 0);
        streams[i] = read_file(work + "/out");
    }
    ASSERT_NE(streams[0], streams[1]);
    int pairs = 0, mixed = 0;
    for (; pairs < 250; ++pairs) {
        int gate[2];
        ASSERT_EQ(pipe(gate), 0);
        const pid_t pa = spawn({MELVOX_PATH, "a.txt", "out"}, work, {}, dir + "/oa", dir + "/ea", gate[0]);
        const pid_t pb = spawn({MELVOX_PATH, "b.txt", "out"}, work, {}, dir + "/ob", dir + "/eb", gate[0]);
        EXPECT_EQ(write(gate[1], "go", 2), 2);
        ::close(gate[0]);
        ::close(gate[1]);
        EXPECT_EQ(wait_for(pa), 0);
        EXPECT_EQ(wait_for(pb), 0);
        const std::string got = read_file(work + "/out");
        mixed += got != streams[0] && got != streams[1];
    }
    EXPECT_EQ(mixed, 0) << "of " << pairs << " pairs";
    std::set<std::string> names;
    names_under(work, "", names);
    EXPECT_EQ(names, (std::set<std::string>{"a.txt", "b.txt", "out", "s.bin", "s.txt"}));
}

// Nothing to write is no failure, even on a full device: a score without tempo.
TEST_F(OutputFiles, EmptyStreamToAFullDevice)
{
    reset();
    if (mknod((work + "/full").c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "mknod not permitted";
    write_file(work + "/none.txt", "C4 1\n");
    EXPECT_EQ(wait_for(spawn({MELVOX_PATH, "none.txt", "full"}, work, {}, dir + "/o", dir + "/e")), 0);
    EXPECT_EQ(read_file(dir + "/e"),
              "WARNING: No tempo at the start of the score, so the note stream is empty.\nfull file written.\n");
}

// The module itself, for callers that give up part way.
TEST_F(OutputFiles, AbandonedOrFailedWritesLeaveTheTargetAlone)
{
    reset();
    const std::string target = work + "/out";
    const struct {
        const char* name;
        void (*use)(const char* path);
    } cases[] = {
        {"abandoned",
         [](const char* path) {
             OutputFile out;
             EXPECT_EQ(out.open(path), OutputFile::kOk);
             EXPECT_EQ(out.write("new", 3), OutputFile::kOk);
             out.abandon();
             EXPECT_EQ(out.commit(), OutputFile::kFailed);
         }},
        {"dropped without commit",
         [](const char* path) {
             OutputFile out;
             EXPECT_EQ(out.open(path), OutputFile::kOk);
             EXPECT_EQ(out.write("new", 3), OutputFile::kOk);
         }},
        {"never opened",
         [](const char*) {
             OutputFile out;
             EXPECT_EQ(out.write("new", 3), OutputFile::kFailed);
             EXPECT_EQ(out.error(), EBADF);
             EXPECT_EQ(out.commit(), OutputFile::kFailed);
         }},
        {"below a file",
         [](const char* path) {
             OutputFile out;
             EXPECT_EQ(out.open((std::string(path) + "/x").c_str()), OutputFile::kRefused);
             EXPECT_EQ(out.error(), ENOTDIR);
         }},
        {"a directory",
         [](const char* path) {
             const std::string parent(path, std::strrchr(path, '/'));
             OutputFile out;
             EXPECT_EQ(out.open(parent.c_str()), OutputFile::kRefused);
             EXPECT_EQ(out.error(), EISDIR);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(target, kOld);
        c.use(target.c_str());
        EXPECT_EQ(read_file(target), kOld);
        std::set<std::string> names;
        names_under(work, "", names);
        EXPECT_EQ(names, (std::set<std::string>{"out", "s.bin", "s.txt"}));
    }
    // The longest name a file may have still leaves room for its temporary file's.
    const std::string longest = work + "/" + std::string(255, 'n');
    OutputFile out;
    EXPECT_EQ(out.open(longest.c_str()), OutputFile::kOk);
    EXPECT_EQ(out.write("new", 3), OutputFile::kOk);
    EXPECT_EQ(out.commit(), OutputFile::kOk) << std::strerror(out.error());
    EXPECT_EQ(read_file(longest), "new");
}

}  // namespace
