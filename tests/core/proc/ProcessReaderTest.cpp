#include "core/proc/ProcessReader.h"

#include "support/Entries.h"
#include "support/MountNamespace.h"
#include "support/ProcTree.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <csignal>
#include <fstream>
#include <set>

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using test::TempTree;
using Args = std::vector<std::string>;

constexpr std::uint64_t KiB = 1024;

// A fixture process with a readable footprint, named by its kernel name or its executable link.
void addProcess(TempTree& t, int pid, const std::string& name, const std::string& exe = {}) {
    test::ProcTree(t).add({.pid = pid, .name = name, .footprintKiB = 100, .exe = exe});
}

// One proc root with everything sample() must leave out: entries that are not processes, numbers
// that are no identifiers, a kernel thread, and processes that exited between listing and reading.
TEST(ProcessReader, SampleKeepsListingOrderAndOnlyReadableUserProcesses) {
    TempTree t;
    const std::set<std::string> processes = {"4242", "7", "300", "99999", "12", "1"};
    for (const std::string& pid : processes)
        test::ProcTree(t).add(
            {.pid = std::stoi(pid), .name = "p" + pid, .footprintKiB = 100, .arguments = {"p" + pid}});
    // kthreadd (pid 2) has no memory lines at all.
    t.build(R"(
        proc/meminfo = MemTotal: 1 kB\n
        proc/{self,77} -> @proc/7
        proc/555 = a plain file with a number for a name
        proc/{0,-3,12abc,007,99999999999}/stat = 9 (odd) S 1 1234 1234 0 -1\n
        proc/{0,-3,12abc,007,99999999999}/status = RssAnon:\t100 kB\n
        proc/2/stat = 2 (kthreadd) S 0 0 0 0 -1\n
        proc/2/status = Name:\tkthreadd\nState:\tS (sleeping)\nTgid:\t2\nPid:\t2\nPPid:\t0\nThreads:\t1\n
        proc/20/status = RssAnon:\t100 kB\n
        proc/21/stat = 21 (nostatus) S 1 1234 1234 0 -1\n
        proc/22/
        proc/23/{stat,status} = )");
    // The order the file system lists them in, whatever it is, must survive unsorted.
    std::vector<std::int32_t> listed;
    for (const auto& entry : fs::directory_iterator(t.path("proc"))) {
        if (processes.contains(entry.path().filename().string()))
            listed.push_back(std::stoi(entry.path().filename().string()));
    }
    std::vector<std::int32_t> sampled;
    for (const ProcessSample& s : ProcessReader::sample(t.path("proc"))) {
        sampled.push_back(s.pid);
        EXPECT_EQ(s.name, "p" + std::to_string(s.pid));
    }
    EXPECT_EQ(sampled, listed);
    for (const int pid : {2, 20, 21, 22, 23, 24, 0, -1})
        EXPECT_FALSE(ProcessReader::read(pid, t.path("proc"))) << pid;
    EXPECT_TRUE(ProcessReader::sample(t.path("nowhere")).empty());
    EXPECT_FALSE(ProcessReader::read(1, t.path("nowhere")));
    EXPECT_EQ(ProcessReader::arguments(1, t.path("proc")), Args{"p1"});

    // The model samples every few seconds for as long as the program runs: every descriptor a pass
    // opens must be closed again, or the program runs out of them within hours. Counted in a child,
    // where no idle pool thread ends meanwhile and closes its own descriptors.
    BRISKLET_EXPECT_NAMESPACE_RUN(test::inChild([&](test::Checks& checks) {
        const std::size_t before = test::openDescriptors();
        for (int pass = 0; pass < 50; ++pass)
            ProcessReader::sample(t.path("proc"));
        checks.expect(test::openDescriptors() == before, "a pass leaks descriptors");
    }));
}

TEST(ProcessReader, ParsesTheStatLine) {
    const std::tuple<std::string, std::optional<std::string>, std::int32_t> rows[] = {
        {"123 (a) b (c)) S 77 1 1 0\n", "a) b (c)", 77},
        {"123 ()(() R 8 1\n", ")((", 8},
        {"123 (x) Z 31", "x", 31},
        {"123 bash S 1 123\n", std::nullopt, 0},
        {"123 )bash( S 1\n", std::nullopt, 0},
        {"123 (bash) S\n", std::nullopt, 0},
        {"123 (bash) S one 2\n", std::nullopt, 0},
        {"", std::nullopt, 0},
    };
    for (const auto& [stat, name, parent] : rows) {
        const auto fields = ProcessReader::parseStat(stat);
        ASSERT_EQ(fields.has_value(), name.has_value()) << stat;
        if (!fields) continue;
        EXPECT_EQ(std::tie(fields->name, fields->parent), std::tie(*name, parent)) << stat;
    }
}

TEST(ProcessReader, FootprintIsAnonymousPlusSwappedMemory) {
    // A status as a user process shows it, with the lines that share a prefix with the ones read.
    const auto status = [](const std::string& anon, const std::string& swap = "") {
        return "Name:\tx\nVmRSS:\t 3584 kB\n" + anon + "RssFile:\t 3072 kB\n" + swap + "Threads:\t1\n";
    };
    std::string manyGroups = "Name:\tbig\nGroups:\t";
    for (int g = 0; g < 2000; ++g)
        manyGroups += std::to_string(100000 + g) + ' ';
    manyGroups += "\nRssAnon:\t  5000 kB\nVmSwap:\t  7 kB\n";
    const std::pair<std::string, std::optional<std::uint64_t>> rows[] = {
        {status("RssAnon:\t 1000 kB\n", "VmSwap:\t 24 kB\n"), 1024 * KiB},
        {status("RssAnon:\t 1000 kB\n"), 1000 * KiB},
        {status("RssAnon:\t 0 kB\n", "VmSwap:\t 0 kB\n"), 0},
        {manyGroups, 5007 * KiB}, // longer than a page
        {"RssAnon:\t8 kB\nVmSwap:\tlots\n", 8 * KiB},
        {"VmSwap:\t2 kB\nRssAnon:\t8 kB", 10 * KiB},
        {status("", "VmSwap:\t 0 kB\n"), std::nullopt},
        {"RssAnon:\tlots kB\nVmSwap:\t2 kB\n", std::nullopt},
        {"RssAnon:\t8\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, footprint] : rows)
        EXPECT_EQ(ProcessReader::parseFootprint(text), footprint) << text.substr(0, 40);
    // A process whose footprint cannot be read is no user process; one that can has it.
    TempTree t;
    addProcess(t, 50, "a");
    t.text("proc/50/status", manyGroups);
    ASSERT_TRUE(ProcessReader::read(50, t.path("proc")));
    EXPECT_EQ(ProcessReader::read(50, t.path("proc"))->footprint, 5007 * KiB);
    t.text("proc/50/status", status(""));
    EXPECT_FALSE(ProcessReader::read(50, t.path("proc")));
}

// The executable link gives the path and the name, else the kernel's name does; the kernel marks a
// replaced or removed program with " (deleted)", which a file may also really be named. Either name
// is shown as valid UTF-8.
TEST(ProcessReader, NameAndPathFromTheExecutableLink) {
    TempTree t;
    const fs::path oddlyNamed = t.file("bin/odd (deleted)");
    struct Row {
        const char* what;
        std::string kernelName, exe, path, name;
    };
    const Row rows[] = {
        {"unreadable: kernel's name", "caf\xe9", "", "", "caf\xef\xbf\xbd"},
        {"deleted executable", "k", t.path("bin/gone (deleted)"), t.path("bin/gone").string(), "gone"},
        {"file really named so", "k", oddlyNamed.string(), oddlyNamed.string(), "odd (deleted)"},
        {"replaced, with a name ending the same way", "k", t.path("bin/odd (deleted) (deleted)"),
         oddlyNamed.string(), "odd (deleted)"},
        {"invalid UTF-8", "k", t.path("bin/t\xffol"), t.path("bin/t\xef\xbf\xbdol").string(),
         "t\xef\xbf\xbdol"},
    };
    int pid = 100;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        addProcess(t, ++pid, row.kernelName, row.exe);
        const auto s = ProcessReader::read(pid, t.path("proc"));
        ASSERT_TRUE(s);
        EXPECT_EQ(std::tie(s->pid, s->parent, s->path, s->name), std::make_tuple(pid, 1, row.path, row.name));
    }
}

// glibc's posix_spawn returns only once the child has run exec(), so /proc already shows the
// new program image.
pid_t startChild(const char* program, const Args& args, const fs::path& cwd) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    pid_t child = -1;
    const int error = ::posix_spawn(&child, program, &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? child : -1;
}

// A child that has only just been started is still loading and faulting in its pages, so two reads
// moments apart see different memory. Once it sleeps in its timer it stays as it is.
bool waitUntilAsleep(pid_t child) {
    for (int attempt = 0; attempt < 5000; ++attempt) {
        std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
        const std::string line((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const std::size_t close = line.rfind(')');
        if (close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'S') return true;
        ::usleep(1000);
    }
    return false;
}

TEST(ProcessReader, FindsAndEndsAChildOfThisTest) {
    const fs::path program = "/bin/sleep";
    if (!fs::exists(program)) GTEST_SKIP() << "no " << program;
    TempTree t;
    const fs::path cwd = fs::canonical(t.dir("child cwd"));
    const Args args = {"sleep", "30"};
    const pid_t child = startChild(program.c_str(), args, cwd);
    ASSERT_GT(child, 0);
    ASSERT_TRUE(waitUntilAsleep(child));

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
    std::int64_t pidMax = 4194304;
    std::ifstream("/proc/sys/kernel/pid_max") >> pidMax;
    EXPECT_FALSE(
        ProcessReader::terminate(static_cast<std::int32_t>(std::min<std::int64_t>(pidMax + 1, INT32_MAX))));
    EXPECT_FALSE(ProcessReader::read(child));
    EXPECT_TRUE(ProcessReader::arguments(child).empty());
    EXPECT_FALSE(ProcessReader::workingDirectory(child));
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
