#include "core/ProcessReader.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brisklet {
namespace {

// An identifier no process can have: one above the kernel's highest.
std::int32_t beyondPidMax() {
    std::ifstream in("/proc/sys/kernel/pid_max");
    std::int64_t max = 4194304;
    in >> max;
    return static_cast<std::int32_t>(std::min<std::int64_t>(max + 1, INT32_MAX));
}


namespace fs = std::filesystem;
using test::TempTree;
using Args = std::vector<std::string>;

constexpr std::uint64_t KiB = 1024;

std::string statLine(int pid, std::string_view name, int parent) {
    return std::to_string(pid) + " (" + std::string(name) + ") S " + std::to_string(parent) +
           " 1234 1234 0 -1 4194560 1523 0 0 0 12 5 0 0 20 0 1 0 3456 9351168 896 18446744073709551615\n";
}

// A status as a user process shows it; `rssAnon`/`swap` are left out when absent.
std::string statusText(std::string_view name, std::optional<std::uint64_t> rssAnon,
                       std::optional<std::uint64_t> swap = std::nullopt) {
    std::string s =
        "Name:\t" + std::string(name) +
        "\nUmask:\t0022\nState:\tS (sleeping)\nTgid:\t77\nPid:\t77\nPPid:\t1\n"
        "Uid:\t1000\t1000\t1000\t1000\nGroups:\t24 27 100\nVmPeak:\t  9132 kB\nVmRSS:\t  3584 kB\n";
    if (rssAnon) s += "RssAnon:\t    " + std::to_string(*rssAnon) + " kB\n";
    s += "RssFile:\t    3072 kB\nRssShmem:\t       0 kB\nVmPTE:\t      52 kB\n";
    if (swap) s += "VmSwap:\t       " + std::to_string(*swap) + " kB\n";
    s += "Threads:\t1\nCpus_allowed_list:\t0-1\n";
    return s;
}

// A process folder in a fixture proc tree, with an optional executable link.
void addProcess(TempTree& t, int pid, std::string_view name, int parent, std::uint64_t rssAnon,
                std::optional<fs::path> exe = std::nullopt) {
    const std::string dir = "proc/" + std::to_string(pid) + "/";
    t.text(dir + "stat", statLine(pid, name, parent));
    t.text(dir + "status", statusText(name, rssAnon, 0));
    if (exe) t.symlink(dir + "exe", *exe);
}

std::vector<std::int32_t> pids(const std::vector<ProcessSample>& samples) {
    std::vector<std::int32_t> out;
    for (const ProcessSample& s : samples)
        out.push_back(s.pid);
    return out;
}

TEST(ProcessReader, SampleKeepsListingOrderAndOnlyProcesses) {
    TempTree t;
    for (const int pid : {1, 4242, 7, 300, 99999, 12, 2048, 5})
        addProcess(t, pid, "p" + std::to_string(pid), 1, 100);
    // Entries of a real proc root that are not processes, and numbers that are no identifiers.
    t.text("proc/meminfo", "MemTotal: 1 kB\n");
    t.dir("proc/sys");
    t.symlink("proc/self", t.path("proc/7"));
    t.symlink("proc/77", t.path("proc/7"));
    t.text("proc/555", "a plain file with a number for a name");
    for (const char* odd : {"0", "-3", "12abc", "007", "99999999999"}) {
        t.text("proc/" + std::string(odd) + "/stat", statLine(9, "odd", 1));
        t.text("proc/" + std::string(odd) + "/status", statusText("odd", 100));
    }

    // The order the file system lists them in, whatever it is, must survive unsorted.
    std::vector<std::int32_t> listed;
    for (const auto& entry : fs::directory_iterator(t.path("proc"))) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() && !entry.is_symlink() &&
            name.find_first_not_of("0123456789") == std::string::npos && name.size() < 6 && name[0] != '0')
            listed.push_back(std::stoi(name));
    }
    ASSERT_EQ(listed.size(), 8u);

    const std::vector<ProcessSample> samples = ProcessReader::sample(t.path("proc"));
    EXPECT_EQ(pids(samples), listed);
    for (const ProcessSample& s : samples)
        EXPECT_EQ(s.name, "p" + std::to_string(s.pid));
}

TEST(ProcessReader, LeavesOutKernelThreadsAndVanishedProcesses) {
    TempTree t;
    addProcess(t, 10, "first", 1, 100);
    // kthreadd: no memory lines at all.
    t.text("proc/2/stat", statLine(2, "kthreadd", 0));
    t.text("proc/2/status",
           "Name:\tkthreadd\nState:\tS (sleeping)\nTgid:\t2\nPid:\t2\nPPid:\t0\nThreads:\t1\n");
    // Exited between listing and reading: some files already gone.
    t.text("proc/20/status", statusText("nostat", 100));
    t.text("proc/21/stat", statLine(21, "nostatus", 1));
    t.dir("proc/22");
    t.text("proc/23/stat", "");
    t.text("proc/23/status", "");
    addProcess(t, 30, "last", 10, 200);

    std::vector<std::int32_t> found = pids(ProcessReader::sample(t.path("proc")));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::int32_t>{10, 30}));
    for (const int pid : {2, 20, 21, 22, 23, 24})
        EXPECT_FALSE(ProcessReader::read(pid, t.path("proc"))) << pid;
}

TEST(ProcessReader, NothingForImpossibleIdentifiersOrMissingRoot) {
    TempTree t;
    addProcess(t, 1, "init", 0, 100);
    t.text("proc/0/stat", statLine(0, "idle", 0));
    t.text("proc/0/status", statusText("idle", 100));
    EXPECT_FALSE(ProcessReader::read(0, t.path("proc")));
    EXPECT_FALSE(ProcessReader::read(-1, t.path("proc")));
    EXPECT_TRUE(ProcessReader::read(1, t.path("proc")));
    EXPECT_TRUE(ProcessReader::sample(t.path("nowhere")).empty());
    EXPECT_FALSE(ProcessReader::read(1, t.path("nowhere")));
}

TEST(ProcessReader, ParsesTheStatLine) {
    struct Row {
        const char* what;
        std::string stat;
        std::optional<std::string> name;
        std::int32_t parent;
    };
    const Row rows[] = {
        {"plain", "123 (bash) S 1 123 123 0 -1 4194560\n", "bash", 1},
        {"spaces", "123 (Web Content) S 456 123 123 0\n", "Web Content", 456},
        {"parentheses inside", "123 (a) b (c)) S 77 1 1 0\n", "a) b (c)", 77},
        {"nothing but brackets", "123 ()(() R 8 1\n", ")((", 8},
        {"empty name", "123 () S 9 1\n", "", 9},
        {"last field, no newline", "123 (x) Z 31", "x", 31},
        {"invalid UTF-8", "123 (caf\xe9) S 2 0\n", "caf\xef\xbf\xbd", 2},
        {"no parentheses", "123 bash S 1 123\n", std::nullopt, 0},
        {"closing before opening", "123 )bash( S 1\n", std::nullopt, 0},
        {"no fields after the name", "123 (bash)\n", std::nullopt, 0},
        {"parent missing", "123 (bash) S\n", std::nullopt, 0},
        {"parent not a number", "123 (bash) S one 2\n", std::nullopt, 0},
        {"empty", "", std::nullopt, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempTree t;
        t.text("proc/123/stat", row.stat);
        t.text("proc/123/status", statusText("x", 4));
        const auto s = ProcessReader::read(123, t.path("proc"));
        ASSERT_EQ(s.has_value(), row.name.has_value());
        if (!s) continue;
        EXPECT_EQ(s->pid, 123);
        EXPECT_EQ(s->name, *row.name);
        EXPECT_EQ(s->parent, row.parent);
        EXPECT_EQ(s->path, "");
    }
}

TEST(ProcessReader, FootprintIsAnonymousPlusSwappedMemory) {
    std::string manyGroups = "Name:\tbig\nGroups:\t";
    for (int g = 0; g < 2000; ++g)
        manyGroups += std::to_string(100000 + g) + ' ';
    manyGroups += "\nRssAnon:\t  5000 kB\nVmSwap:\t  7 kB\n";
    struct Row {
        const char* what;
        std::string status;
        std::optional<std::uint64_t> footprint;
    };
    const Row rows[] = {
        {"resident and swapped", statusText("a", 1000, 24), 1024 * KiB},
        {"no swap line", statusText("a", 1000), 1000 * KiB},
        {"nothing resident", statusText("a", 0, 0), 0},
        {"only swapped", statusText("a", 0, 300), 300 * KiB},
        {"status longer than a page", manyGroups, 5007 * KiB},
        {"unreadable swap figure", "RssAnon:\t8 kB\nVmSwap:\tlots\n", 8 * KiB},
        {"last line without newline", "VmSwap:\t2 kB\nRssAnon:\t8 kB", 10 * KiB},
        {"kernel thread", statusText("kworker/0:1", std::nullopt), std::nullopt},
        {"unreadable anonymous figure", "RssAnon:\tlots kB\nVmSwap:\t2 kB\n", std::nullopt},
        {"anonymous figure without unit", "RssAnon:\t8\n", std::nullopt},
        {"garbage",
         "\x7f"
         "ELF\x02\x01\x01\0\0\0\xff\xfe RssAnon",
         std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempTree t;
        t.text("proc/50/stat", statLine(50, "a", 1));
        t.text("proc/50/status", row.status);
        const auto s = ProcessReader::read(50, t.path("proc"));
        ASSERT_EQ(s.has_value(), row.footprint.has_value());
        if (s) {
            EXPECT_EQ(s->footprint, *row.footprint);
        }
    }
}

TEST(ProcessReader, NameAndPathFromTheExecutableLink) {
    TempTree t;
    const fs::path tool = t.file("bin/tool");
    const fs::path oddlyNamed = t.file("bin/odd (deleted)");
    struct Row {
        const char* what;
        std::optional<fs::path> exe;
        std::string path, name;
    };
    const Row rows[] = {
        {"readable", tool, tool.string(), "tool"},
        {"unreadable: kernel's name", std::nullopt, "", "kernel-name"},
        {"deleted executable", t.path("bin/gone (deleted)"), t.path("bin/gone").string(), "gone"},
        {"file really named so", oddlyNamed, oddlyNamed.string(), "odd (deleted)"},
        {"replaced, with a name ending the same way", t.path("bin/odd (deleted) (deleted)"),
         oddlyNamed.string(), "odd (deleted)"},
        {"invalid UTF-8", t.path("bin/t\xffol"), t.path("bin/t\xef\xbf\xbdol").string(), "t\xef\xbf\xbdol"},
    };
    int pid = 100;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        addProcess(t, ++pid, "kernel-name", 1, 10, row.exe);
        const auto s = ProcessReader::read(pid, t.path("proc"));
        ASSERT_TRUE(s);
        EXPECT_EQ(s->path, row.path);
        EXPECT_EQ(s->name, row.name);
    }
}

TEST(ProcessReader, SplitsTheCommandLine) {
    std::string longArgument(10000, 'x');
    struct Row {
        const char* what;
        std::optional<std::string> cmdline;
        Args expected;
    };
    const Row rows[] = {
        {"empty (kernel thread, zombie)", std::string(), {}},
        {"missing", std::nullopt, {}},
        {"terminated",
         std::string("sleep\0"
                     "30\0",
                     9),
         {"sleep", "30"}},
        {"unterminated last piece",
         std::string("sleep\0"
                     "30",
                     8),
         {"sleep", "30"}},
        {"empty arguments inside", std::string("a\0\0b\0\0", 6), {"a", "", "b", ""}},
        {"a single empty argument", std::string("\0", 1), {""}},
        {"spaces stay inside an argument",
         std::string("/usr/bin/my tool\0--flag=a b\0", 28),
         {"/usr/bin/my tool", "--flag=a b"}},
        {"invalid UTF-8", std::string("x\xff\0\xc3\xa9\0", 6), {"x\xef\xbf\xbd", "\xc3\xa9"}},
        {"longer than a page",
         "cmd" + std::string(1, '\0') + longArgument + std::string(1, '\0'),
         {"cmd", longArgument}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempTree t;
        t.dir("proc/60");
        if (row.cmdline) t.text("proc/60/cmdline", *row.cmdline);
        EXPECT_EQ(ProcessReader::arguments(60, t.path("proc")), row.expected);
    }
    TempTree t;
    t.text("proc/0/cmdline", std::string("init\0", 5));
    EXPECT_TRUE(ProcessReader::arguments(0, t.path("proc")).empty());
    EXPECT_TRUE(ProcessReader::arguments(61, t.path("proc")).empty());
}

TEST(ProcessReader, WorkingDirectory) {
    TempTree t;
    const fs::path home = t.dir("work space");
    t.symlink("proc/70/cwd", home);
    t.symlink("proc/71/cwd", t.path("caf\xe9"));
    t.dir("proc/72");
    t.symlink("proc/0/cwd", home);
    EXPECT_EQ(ProcessReader::workingDirectory(70, t.path("proc")), home.string());
    EXPECT_EQ(ProcessReader::workingDirectory(71, t.path("proc")), t.path("caf\xef\xbf\xbd").string());
    EXPECT_EQ(ProcessReader::workingDirectory(72, t.path("proc")), std::nullopt);
    EXPECT_EQ(ProcessReader::workingDirectory(73, t.path("proc")), std::nullopt);
    EXPECT_EQ(ProcessReader::workingDirectory(0, t.path("proc")), std::nullopt);
}

// A child that has certainly finished exec(): the close-on-exec pipe reports end of file only once
// the new program image is in place.
pid_t startChild(const char* program, const Args& args, const fs::path& cwd) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(cwd.c_str()) == 0) ::execv(program, argv.data());
        const char failed = 1;
        [[maybe_unused]] const ssize_t n = ::write(fds[1], &failed, 1);
        ::_exit(127);
    }
    ::close(fds[1]);
    char byte = 0;
    ssize_t n;
    do
        n = ::read(fds[0], &byte, 1);
    while (n < 0 && errno == EINTR);
    ::close(fds[0]);
    if (child > 0 && n != 0) {
        ::waitpid(child, nullptr, 0);
        return -1;
    }
    return child;
}

TEST(ProcessReader, FindsAndEndsAChildOfThisTest) {
    const fs::path program = "/bin/sleep";
    if (!fs::exists(program)) GTEST_SKIP() << "no " << program;
    TempTree t;
    const fs::path cwd = fs::canonical(t.dir("child cwd"));
    const Args args = {"sleep", "30"};
    const pid_t child = startChild(program.c_str(), args, cwd);
    ASSERT_GT(child, 0);

    const std::vector<ProcessSample> samples = ProcessReader::sample();
    const auto it =
        std::find_if(samples.begin(), samples.end(), [&](const auto& s) { return s.pid == child; });
    const bool found = it != samples.end();
    EXPECT_TRUE(found);
    if (found) {
        EXPECT_EQ(it->parent, ::getpid());
        EXPECT_EQ(it->path, fs::canonical(program).string());
        EXPECT_EQ(it->name, fs::canonical(program).filename().string());
        EXPECT_GT(it->footprint, 0u);
        EXPECT_EQ(ProcessReader::read(child), *it);
    }
    EXPECT_EQ(ProcessReader::arguments(child), args);
    EXPECT_EQ(ProcessReader::workingDirectory(child), cwd.string());

    EXPECT_TRUE(ProcessReader::terminate(child));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);

    // Reaped: the identifier names nothing any more. (Signalling it again could reach a process
    // that reused the number, so the "no such process" case uses one above the kernel's limit.)
    EXPECT_FALSE(ProcessReader::terminate(beyondPidMax()));
    EXPECT_FALSE(ProcessReader::read(child));
    EXPECT_TRUE(ProcessReader::arguments(child).empty());
    EXPECT_FALSE(ProcessReader::workingDirectory(child));
}

TEST(ProcessReader, ReadsThisTestItself) {
    const auto self = ProcessReader::read(::getpid());
    ASSERT_TRUE(self);
    EXPECT_EQ(self->parent, ::getppid());
    EXPECT_EQ(self->path, fs::canonical("/proc/self/exe").string());
    EXPECT_GT(self->footprint, 0u);
    EXPECT_FALSE(ProcessReader::arguments(::getpid()).empty());
}

TEST(ProcessReader, RefusesIdentifiersThatMeanGroupsOrEveryone) {
    // Should the guard ever break, kill(0) or kill(-1) must not reach the test runner or anything
    // else: the check runs in a child that leads its own process group and, when the suite runs as
    // root, has given up its privileges.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setpgid(0, 0);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        const bool zero = ProcessReader::terminate(0);
        const bool minusOne = ProcessReader::terminate(-1);
        const bool lowest = ProcessReader::terminate(INT32_MIN);
        ::_exit(zero || minusOne || lowest ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child was signalled";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
} // namespace brisklet
