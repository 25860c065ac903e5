#include "core/FileSize.h"

#include "support/FtsOracle.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace brisklet {

namespace {

namespace fs = std::filesystem;
using test::ftsOnDisk;
using test::TempTree;

// On ext4 a symbolic link whose target is longer than 60 bytes gets a data block of its own, so
// counting it (or not) shows in the total.
std::string longTarget(std::string_view head) {
    return std::string(head) + "/" + std::string(120, 'x');
}

std::int64_t sumAllocated(const std::vector<fs::path>& entries) {
    std::int64_t total = 0;
    for (const fs::path& p : entries)
        total += TempTree::allocated(p);
    return total;
}

// ---- Children: what needs its own descriptor limit or its own mounts runs in a forked process.

struct Unavailable : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string errnoText(std::string_view what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// A mount namespace of our own whose mounts nobody else sees and which vanish with the process.
void enterPrivateMountNamespace() {
    const auto writeWhole = [](const char* file, const std::string& contents) {
        std::ofstream out(file);
        if (!(out << contents << std::flush)) throw Unavailable(errnoText(std::string("writing ") + file));
    };
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(uid == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS) != 0)
        throw Unavailable(errnoText("unshare"));
    if (uid != 0) {
        writeWhole("/proc/self/setgroups", "deny");
        writeWhole("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
        writeWhole("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        throw Unavailable(errnoText("making / private"));
}

struct ChildResult {
    char status; // 'O' with the values, 'S' when the child could not set up what it needed, else failed
    char message[256];
    std::size_t count;
    std::int64_t values[8];
};

// The child writes its result straight into memory shared with this process.
ChildResult runInChild(const std::function<std::vector<std::int64_t>()>& body) {
    void* shared =
        ::mmap(nullptr, sizeof(ChildResult), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) return {'F', "mmap failed", 0, {}};
    auto* result = new (shared) ChildResult{'F', "the child died", 0, {}};
    const pid_t pid = ::fork();
    if (pid == 0) {
        try {
            const std::vector<std::int64_t> values = body();
            result->count = std::min(values.size(), std::size(result->values));
            std::copy_n(values.begin(), result->count, result->values);
            result->status = 'O';
        } catch (const std::exception& e) {
            result->status = dynamic_cast<const Unavailable*>(&e) ? 'S' : 'F';
            std::snprintf(result->message, sizeof result->message, "%s", e.what());
        }
        ::_exit(0);
    }
    if (pid > 0) ::waitpid(pid, nullptr, 0);
    const ChildResult copy = *result;
    ::munmap(shared, sizeof(ChildResult));
    return copy;
}

#define EXPECT_CHILD_OK(result, expectedCount)                                                               \
    do {                                                                                                     \
        if ((result).status == 'S') GTEST_SKIP() << "no mount namespace here: " << (result).message;         \
        ASSERT_EQ((result).status, 'O') << (result).message;                                                 \
        ASSERT_EQ((result).count, std::size_t{expectedCount});                                               \
    } while (false)

// ---- Figures worked out by hand.

TEST(FileSizeTest, MissingPathAndEmptyFoldersMeasureZero) {
    TempTree tree;
    EXPECT_EQ(FileSize::onDisk(tree.path("missing/below")), 0);
    EXPECT_EQ(FileSize::onDisk(fs::path()), 0);
    // Folders themselves occupy blocks, but they are not what a user can win back.
    tree.dir("a/b/c");
    EXPECT_EQ(FileSize::onDisk(tree.root()), 0);
}

// Each rule in a folder of its own, so a wrong total for the whole points at the folder that is off.
TEST(FileSizeTest, HandWorkedTreeOfSparseFilesAndBothKindsOfLinks) {
    TempTree tree;
    TempTree elsewhere;
    // Data written into the middle of a hole allocates only around what was written.
    const fs::path sparse = tree.sparse("sparse/patchy", std::int64_t{8} << 30);
    const int fd = ::open(sparse.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::string block(8192, 'y');
    ASSERT_EQ(::pwrite(fd, block.data(), block.size(), 512 << 20), static_cast<ssize_t>(block.size()));
    ::close(fd);
    ASSERT_GE(TempTree::allocated(sparse), 8192);
    EXPECT_LT(FileSize::onDisk(tree.path("sparse")), std::int64_t{1} << 20);
    EXPECT_EQ(FileSize::onDisk(tree.path("sparse")), TempTree::allocated(sparse));

    const fs::path shared = tree.file("hard/one/shared", 200000);
    tree.hardlink("hard/two/shared", shared);
    tree.hardlink("hard/two/deeper/shared", shared);
    // Link count 2 with the other link outside the walk: still counted, once.
    const fs::path outside = elsewhere.file("outside", 300000);
    tree.hardlink("hard/two/outside", outside);
    EXPECT_EQ(FileSize::onDisk(tree.path("hard")), sumAllocated({shared, outside}));
    EXPECT_EQ(FileSize::onDisk(tree.path("hard/two/outside")), TempTree::allocated(outside));
    // Separate measurements do not share what they have seen.
    EXPECT_EQ(FileSize::onDisk(tree.path("hard/one")), TempTree::allocated(shared));
    EXPECT_EQ(FileSize::onDisk(tree.path("hard/one")), TempTree::allocated(shared));

    const fs::path big = elsewhere.file(longTarget("big-folder") + "/big", 2 << 20);
    const fs::path toFile = tree.symlink("soft/to-file", big);
    const fs::path toDir = tree.symlink("soft/to-dir", big.parent_path());
    const fs::path toRoot = tree.symlink("soft/to-root", tree.root());
    ASSERT_GT(TempTree::allocated(toFile), 0) << "the link needs blocks of its own for this to bite";
    const std::int64_t links = sumAllocated({toFile, toDir, toRoot});
    EXPECT_EQ(FileSize::onDisk(tree.path("soft")), links);
    // Given as the root, a link to a folder is still just the link.
    EXPECT_EQ(FileSize::onDisk(toDir), TempTree::allocated(toDir));
    const fs::path linkedRoot = elsewhere.symlink("linked-root", tree.root());
    EXPECT_EQ(FileSize::onDisk(linkedRoot), TempTree::allocated(linkedRoot));

    EXPECT_EQ(FileSize::onDisk(tree.root()),
              TempTree::allocated(sparse) + sumAllocated({shared, outside}) + links);
}

// ---- Agreement with fts on generated trees: every kind of entry (a fifo too, which would hang a
// walk that opened it), names that are not UTF-8 or hold a newline, sparse files, and links of both
// kinds pointing up, to the root and outside the tree.

std::vector<std::string> makeRandomTree(TempTree& tree, const fs::path& outside, unsigned seed) {
    std::mt19937 random(seed);
    const auto below = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    static const char* const bases[] = {"f", "with\nnewline", "bad\xff\xfeutf8", ".hidden", "\xc3\xbc"};
    const std::string targets[] = {"../..", longTarget("dangling"), outside.string(), tree.root().string()};
    std::vector<std::string> dirs{""};
    std::vector<std::string> files;
    for (int i = 0; i < 160; ++i) {
        const std::string parent = dirs[below(dirs.size())];
        const std::string name =
            (parent.empty() ? "" : parent + "/") + bases[below(std::size(bases))] + std::to_string(i);
        switch (below(8)) {
        case 0:
        case 1:
            tree.dir(name);
            dirs.push_back(name);
            break;
        case 2:
        case 3:
            tree.file(name, below(10) < 8 ? below(5000) : below(400000));
            files.push_back(name);
            break;
        case 4:
            tree.sparse(name, std::int64_t{1} << (12 + below(23)));
            break;
        case 5:
            tree.hardlink(name, files.empty() || below(2) ? outside : tree.path(files[below(files.size())]));
            break;
        case 6:
            if (::mkfifo(tree.path(name).c_str(), 0644) != 0) throw std::runtime_error("mkfifo " + name);
            break;
        default:
            tree.symlink(name, targets[below(std::size(targets))]);
        }
    }
    return dirs;
}

TEST(FileSizeTest, AgreesWithFtsOnRandomTrees) {
    for (unsigned seed = 1; seed <= 2; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TempTree tree;
        TempTree elsewhere;
        const fs::path outside = elsewhere.file(std::string(100, 'o'), 50000);
        const std::vector<std::string> dirs = makeRandomTree(tree, outside, seed);
        const std::int64_t whole = FileSize::onDisk(tree.root());
        EXPECT_EQ(whole, ftsOnDisk(tree.root()));
        EXPECT_GT(whole, 0);
        // Every folder as a root of its own puts the hard links' other ends outside the walk.
        for (const std::string& dir : dirs)
            EXPECT_EQ(FileSize::onDisk(tree.path(dir)), ftsOnDisk(tree.path(dir))) << dir;
    }
}

// ---- Depth: a chain of 40 folders that forks into two chains of 110, so that whichever branch goes
// first, the walk comes back to the fork with work left there after going far deeper than it keeps
// descriptors for. Every level also has a file and a side folder of its own.

TEST(FileSizeTest, DeepNestingFitsInAFewFileDescriptors) {
    TempTree tree;
    std::int64_t expected = 0;
    const auto chain = [&](std::string path, int levels) {
        for (int level = 0; level < levels; ++level, path += "/d") {
            const std::string n = std::to_string(level);
            expected += TempTree::allocated(tree.file(path + "/f" + n, std::size_t(level % 7) * 1000));
            expected += TempTree::allocated(tree.file(path + "/side" + n + "/f", 3000));
        }
        return path;
    };
    const fs::path top = tree.file("top", 40000);
    expected += TempTree::allocated(top);
    const std::string fork = chain("d", 40);
    for (const char* branch : {"/p", "/q"})
        tree.hardlink(chain(fork + branch, 110) + "/top-again", top);

    const ChildResult result = runInChild([&] {
        // Leave five descriptors free, far fewer than the tree is deep.
        ::close_range(3, ~0U, 0);
        const rlimit limits{8, 8};
        if (::setrlimit(RLIMIT_NOFILE, &limits) != 0) throw std::runtime_error(errnoText("setrlimit"));
        return std::vector<std::int64_t>{FileSize::onDisk(tree.root())};
    });
    EXPECT_CHILD_OK(result, 1);
    EXPECT_EQ(result.values[0], expected);
}

// Mounted in a private mount namespace of a child process: another file system inside the tree is
// left out (but walked when measured as the root), a bind mount of an ancestor must not make the
// walk endless, and a bind mount from the same file system is no mount crossing as far as the walk
// can tell, so it is walked (and fts agrees).
TEST(FileSizeTest, MountsInsideTheTree) {
    TempTree tree;
    TempTree elsewhere;
    const std::int64_t own =
        sumAllocated({tree.file("top", 10000), tree.file("a/mid", 20000), tree.file("a/b/low", 30000)});
    const std::int64_t expected = own + TempTree::allocated(elsewhere.file("deep/borrowed", 60000));
    const fs::path loop = tree.dir("a/b/loop");
    const fs::path borrowed = tree.dir("borrowed");
    const fs::path tmpfs = tree.dir("tmpfs");
    const ChildResult result = runInChild([&] {
        enterPrivateMountNamespace();
        if (::mount("tmpfs", tmpfs.c_str(), "tmpfs", 0, "size=32m") != 0 ||
            ::mount(tree.root().c_str(), loop.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            ::mount(elsewhere.root().c_str(), borrowed.c_str(), nullptr, MS_BIND, nullptr) != 0)
            throw Unavailable(errnoText("mount"));
        const fs::path big = tree.file("tmpfs/big", 4 << 20);
        return std::vector<std::int64_t>{TempTree::allocated(big), FileSize::onDisk(tmpfs),
                                         FileSize::onDisk(tree.root()), ftsOnDisk(tree.root()),
                                         FileSize::onDisk(tree.path("a"))};
    });
    EXPECT_CHILD_OK(result, 5);
    ASSERT_GE(result.values[0], 4 << 20) << "the mounted file system did not hold the file";
    EXPECT_EQ(result.values[1], result.values[0]);
    EXPECT_EQ(result.values[2], expected);
    EXPECT_EQ(result.values[3], expected);
    // From "a" the way round the loop passes the root once more before it meets "a" again; the
    // bind mount of the root holds none of the mounts made inside it.
    EXPECT_EQ(result.values[4], own);
}

} // namespace

} // namespace brisklet
