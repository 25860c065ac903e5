#include "core/FileSize.h"

#include "support/FtsOracle.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace brisklet {

namespace {

namespace fs = std::filesystem;
using test::TempTree;

using test::ftsOnDisk;

// On ext4 a symbolic link whose target is longer than 60 bytes gets a data block of its own, so
// counting it (or not) shows in the total.
std::string longTarget(std::string_view head) {
    return std::string(head) + "/" + std::string(120, 'x');
}

void makeFifo(const fs::path& p) {
    if (::mkfifo(p.c_str(), 0644) != 0) throw std::runtime_error("mkfifo " + p.string());
}

void makeSocket(const fs::path& p) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (p.native().size() >= sizeof(address.sun_path)) return;
    std::memcpy(address.sun_path, p.c_str(), p.native().size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    ::close(fd);
}

std::int64_t sumAllocated(const std::vector<fs::path>& entries) {
    std::int64_t total = 0;
    for (const fs::path& p : entries)
        total += TempTree::allocated(p);
    return total;
}

// Qt removes a temporary folder through QString names, which cannot hold bytes that are not UTF-8;
// such entries are removed here first, by their bytes.
class TreeWithRawNames : public TempTree {
public:
    ~TreeWithRawNames() {
        std::error_code ec;
        for (const fs::directory_entry& entry : fs::directory_iterator(root(), ec))
            fs::remove_all(entry.path(), ec);
    }
};

// ---- Children: what needs its own descriptor limit or its own mounts runs in a forked process.

struct Unavailable : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ChildResult {
    enum class Status { Ok, Skipped, Failed } status = Status::Failed;
    std::string message;
    std::vector<std::int64_t> values;
};

std::string errnoText(std::string_view what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void writeWhole(const char* file, std::string_view contents) {
    const int fd = ::open(file, O_WRONLY | O_CLOEXEC);
    const bool ok =
        fd >= 0 && ::write(fd, contents.data(), contents.size()) == static_cast<ssize_t>(contents.size());
    if (fd >= 0) ::close(fd);
    if (!ok) throw Unavailable(errnoText(std::string("writing ") + file));
}

// A mount namespace of our own whose mounts nobody else sees and which vanish with the process.
void enterPrivateMountNamespace() {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid == 0) {
        if (::unshare(CLONE_NEWNS) != 0) throw Unavailable(errnoText("unshare(CLONE_NEWNS)"));
    } else {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            throw Unavailable(errnoText("unshare(CLONE_NEWUSER | CLONE_NEWNS)"));
        writeWhole("/proc/self/setgroups", "deny");
        writeWhole("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
        writeWhole("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        throw Unavailable(errnoText("making / private"));
}

ChildResult runInChild(const std::function<std::vector<std::int64_t>()>& body) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return {ChildResult::Status::Failed, errnoText("pipe"), {}};
    const pid_t pid = ::fork();
    if (pid < 0) return {ChildResult::Status::Failed, errnoText("fork"), {}};
    if (pid == 0) {
        ::close(pipeFds[0]);
        std::ostringstream out;
        try {
            out << "OK";
            for (const std::int64_t v : body())
                out << ' ' << v;
        } catch (const Unavailable& e) {
            out.str({});
            out << "SKIP " << e.what();
        } catch (const std::exception& e) {
            out.str({});
            out << "FAIL " << e.what();
        }
        const std::string text = out.str();
        const bool written =
            ::write(pipeFds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(pipeFds[1]);
    std::string text;
    char chunk[512];
    for (ssize_t n; (n = ::read(pipeFds[0], chunk, sizeof chunk)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        text.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);

    ChildResult result;
    std::istringstream in(text);
    std::string word;
    in >> word;
    if (word == "OK") {
        result.status = ChildResult::Status::Ok;
        for (std::int64_t v; in >> v;)
            result.values.push_back(v);
    } else {
        result.status = word == "SKIP" ? ChildResult::Status::Skipped : ChildResult::Status::Failed;
        std::getline(in, result.message);
        if (text.empty()) result.message = "the child died, wait status " + std::to_string(status);
    }
    return result;
}

#define EXPECT_CHILD_OK(result, count)                                                                       \
    do {                                                                                                     \
        if ((result).status == ChildResult::Status::Skipped)                                                 \
            GTEST_SKIP() << "mount namespaces are not available here:" << (result).message;                  \
        ASSERT_EQ((result).status, ChildResult::Status::Ok) << (result).message;                             \
        ASSERT_EQ((result).values.size(), std::size_t{count});                                               \
    } while (false)

// ---- Random trees: every kind of entry, odd names, links of both kinds in every direction.

class RandomTree {
public:
    RandomTree(TempTree& tree, const fs::path& outsideFile, unsigned seed)
        : m_tree(tree), m_outside(outsideFile), m_random(seed) {
        m_dirs.emplace_back();
        for (int i = 0; i < 160; ++i)
            addOne(i);
    }

    const std::vector<std::string>& dirs() const { return m_dirs; }

private:
    std::string pick(const std::vector<std::string>& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(m_random)];
    }

    std::string newName(int i) {
        static const char* const bases[] = {"f",       "with\nnewline", "bad\xff\xfeutf8", "space name",
                                            ".hidden", "\xc3\xbc",      "-dash",           "a.b.c"};
        const auto base =
            bases[std::uniform_int_distribution<std::size_t>(0, std::size(bases) - 1)(m_random)];
        const std::string dir = pick(m_dirs);
        return (dir.empty() ? "" : dir + "/") + base + std::to_string(i);
    }

    std::size_t randomSize() {
        const int bucket = std::uniform_int_distribution<int>(0, 99)(m_random);
        if (bucket < 70) return std::uniform_int_distribution<std::size_t>(0, 5000)(m_random);
        if (bucket < 95) return std::uniform_int_distribution<std::size_t>(5000, 70000)(m_random);
        return std::uniform_int_distribution<std::size_t>(70000, 400000)(m_random);
    }

    void addOne(int i) {
        const std::string name = newName(i);
        switch (std::uniform_int_distribution<int>(0, 11)(m_random)) {
        case 0:
        case 1:
            m_tree.dir(name);
            m_dirs.push_back(name);
            break;
        case 2:
        case 3:
        case 4:
            m_tree.file(name, randomSize());
            m_files.push_back(name);
            break;
        case 5:
            m_tree.sparse(name, std::int64_t{1} << std::uniform_int_distribution<int>(12, 34)(m_random));
            m_files.push_back(name);
            break;
        case 6:
            if (!m_files.empty()) m_tree.hardlink(name, m_tree.path(pick(m_files)));
            break;
        case 7:
            m_tree.hardlink(name, m_outside);
            break;
        case 8: {
            const std::string targets[] = {"../..", longTarget("dangling"), m_outside.string(),
                                           m_tree.root().string(), m_tree.path(pick(m_dirs)).string()};
            m_tree.symlink(name, targets[std::uniform_int_distribution<int>(0, 4)(m_random)]);
            break;
        }
        case 9:
            makeFifo(m_tree.path(name));
            break;
        case 10:
            makeSocket(m_tree.path(name));
            break;
        default: {
            // A chain of nested folders so that the random tree has some depth as well.
            std::string chain = name;
            m_tree.dir(chain);
            m_dirs.push_back(chain);
            for (int level = 0; level < 8; ++level) {
                chain += "/n";
                m_tree.dir(chain);
                m_dirs.push_back(chain);
            }
            m_tree.file(chain + "/leaf", randomSize());
            m_files.push_back(chain + "/leaf");
            break;
        }
        }
    }

    TempTree& m_tree;
    fs::path m_outside;
    std::mt19937 m_random;
    std::vector<std::string> m_dirs;
    std::vector<std::string> m_files;
};

// ---- Single entries and small trees with figures worked out by hand.

TEST(FileSizeTest, MissingPathAndEmptyFoldersMeasureZero) {
    TempTree tree;
    EXPECT_EQ(FileSize::onDisk(tree.path("missing")), 0);
    EXPECT_EQ(FileSize::onDisk(tree.path("missing/below")), 0);
    EXPECT_EQ(FileSize::onDisk(fs::path()), 0);
    EXPECT_EQ(FileSize::onDisk(tree.root()), 0);
    // Folders themselves occupy blocks, but they are not what a user can win back.
    tree.dir("a/b/c");
    tree.dir("d");
    EXPECT_EQ(FileSize::onDisk(tree.root()), 0);
}

TEST(FileSizeTest, SingleEntryMeasuresItsOwnBlocks) {
    TempTree tree;
    const fs::path data = tree.file("data.bin", 100000);
    ASSERT_GE(TempTree::allocated(data), 100000);
    EXPECT_EQ(FileSize::onDisk(data), TempTree::allocated(data));
    EXPECT_EQ(FileSize::onDisk(tree.file("empty")), 0);

    const fs::path fifo = tree.path("fifo");
    makeFifo(fifo);
    EXPECT_EQ(FileSize::onDisk(fifo), TempTree::allocated(fifo));
}

TEST(FileSizeTest, SparseFileCountsAllocatedBlocksNotLength) {
    TempTree tree;
    const fs::path hole = tree.sparse("cache/hole", std::int64_t{8} << 30);
    // Data written into the middle of a hole allocates only around what was written.
    const fs::path patchy = tree.sparse("cache/patchy", std::int64_t{1} << 30);
    {
        const int fd = ::open(patchy.c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        const std::string block(8192, 'y');
        ASSERT_EQ(::pwrite(fd, block.data(), block.size(), 512 << 20), static_cast<ssize_t>(block.size()));
        ::close(fd);
    }
    const std::int64_t expected = TempTree::allocated(hole) + TempTree::allocated(patchy);
    EXPECT_LT(expected, std::int64_t{1} << 20);
    EXPECT_GE(TempTree::allocated(patchy), 8192);
    EXPECT_EQ(FileSize::onDisk(tree.root()), expected);
}

TEST(FileSizeTest, TreeCountsEveryKindOfNonFolderEntry) {
    TreeWithRawNames tree;
    std::vector<fs::path> counted{
        tree.file("a", 5000),
        tree.file("sub/b", 70000),
        tree.file("sub/deeper/c", 1),
        tree.text("sub/with\nnewline", "x"),
        tree.file("sub/bad\xff\xfe", 9000),
        tree.symlink("sub/dangling", longTarget("nowhere")),
        tree.path("sub/fifo"),
        tree.path("sub/socket"),
    };
    makeFifo(counted[6]);
    makeSocket(counted[7]);
    EXPECT_EQ(FileSize::onDisk(tree.root()), sumAllocated(counted));
    EXPECT_EQ(FileSize::onDisk(tree.path("sub/deeper")), TempTree::allocated(counted[2]));
}

TEST(FileSizeTest, HardLinksCountOnceWhereverTheOtherLinksAre) {
    TempTree tree;
    TempTree elsewhere;
    const fs::path shared = tree.file("one/shared", 200000);
    tree.hardlink("two/shared", shared);
    tree.hardlink("two/deeper/shared", shared);
    // Link count 2 with the other link outside the walk: still counted, once.
    const fs::path outside = elsewhere.file("outside", 300000);
    tree.hardlink("two/outside", outside);
    const fs::path plain = tree.file("plain", 4000);

    const std::int64_t expected = sumAllocated({shared, outside, plain});
    EXPECT_EQ(FileSize::onDisk(tree.root()), expected);
    EXPECT_EQ(FileSize::onDisk(tree.path("two")), sumAllocated({shared, outside}));
    EXPECT_EQ(FileSize::onDisk(tree.path("two/outside")), TempTree::allocated(outside));
    // Separate measurements do not share what they have seen.
    EXPECT_EQ(FileSize::onDisk(tree.path("one")), TempTree::allocated(shared));
    EXPECT_EQ(FileSize::onDisk(tree.path("one")), TempTree::allocated(shared));
}

TEST(FileSizeTest, SymbolicLinksCountOnlyThemselves) {
    TempTree tree;
    TempTree elsewhere;
    const fs::path big = elsewhere.file(longTarget("big-folder") + "/big", 2 << 20);
    const fs::path bigDir = big.parent_path();
    const fs::path toFile = tree.symlink("cache/to-file", big);
    const fs::path toDir = tree.symlink("cache/to-dir", bigDir);
    const fs::path toRoot = tree.symlink("cache/to-root", tree.root());
    ASSERT_GT(TempTree::allocated(toFile), 0) << "the link needs blocks of its own for this to bite";

    const std::int64_t links = sumAllocated({toFile, toDir, toRoot});
    EXPECT_EQ(FileSize::onDisk(tree.root()), links);
    // Given as the root, a link to a folder is still just the link.
    EXPECT_EQ(FileSize::onDisk(toDir), TempTree::allocated(toDir));
    EXPECT_EQ(FileSize::onDisk(toFile), TempTree::allocated(toFile));
    const fs::path linkedRoot = elsewhere.symlink("linked-root", tree.root());
    EXPECT_EQ(FileSize::onDisk(linkedRoot), TempTree::allocated(linkedRoot));
}

// ---- Agreement with fts on generated trees.

TEST(FileSizeTest, AgreesWithFtsOnRandomTrees) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TreeWithRawNames tree;
        TempTree elsewhere;
        const fs::path outside = elsewhere.file(std::string(100, 'o'), 50000);
        const RandomTree random(tree, outside, seed);
        const std::int64_t whole = FileSize::onDisk(tree.root());
        EXPECT_EQ(whole, ftsOnDisk(tree.root()));
        EXPECT_GT(whole, 0);
        // Every folder as a root of its own puts the hard links' other ends outside the walk.
        for (const std::string& dir : random.dirs())
            EXPECT_EQ(FileSize::onDisk(tree.path(dir)), ftsOnDisk(tree.path(dir))) << dir;
    }
}

// 150 folders deep: a chain of 40 that forks into two chains of 110, so that whichever branch goes
// first, the walk comes back to the fork with work left there after going far deeper than it keeps
// descriptors for. Every level also has a file and a side folder of its own.
struct DeepTree {
    TempTree tree;
    std::int64_t expected = 0;

    DeepTree() {
        const fs::path top = tree.file("top", 40000);
        expected += TempTree::allocated(top);
        const std::string fork = chain("d", 40);
        for (const char* branch : {"/p", "/q"}) {
            const std::string end = chain(fork + branch, 110);
            tree.hardlink(end + "/top-again", top);
        }
    }

    std::string chain(std::string path, int levels) {
        for (int level = 0; level < levels; ++level, path += "/d") {
            const std::string n = std::to_string(level);
            expected += TempTree::allocated(tree.file(path + "/f" + n, std::size_t(level % 7) * 1000));
            expected += TempTree::allocated(tree.file(path + "/side" + n + "/f", 3000));
        }
        return path;
    }
};

TEST(FileSizeTest, DeepNestingIsWalkedCompletely) {
    DeepTree deep;
    EXPECT_EQ(FileSize::onDisk(deep.tree.root()), deep.expected);
    EXPECT_EQ(FileSize::onDisk(deep.tree.root()), ftsOnDisk(deep.tree.root()));
}

TEST(FileSizeTest, DeepNestingFitsInAFewFileDescriptors) {
    DeepTree deep;
    const ChildResult result = runInChild([&] {
        // Leave only a handful of descriptors free, far fewer than the tree is deep. The limit caps
        // descriptor numbers, and some may be taken high up by whoever started us.
        std::set<int> taken;
        if (DIR* fds = ::opendir("/proc/self/fd")) {
            while (const dirent* entry = ::readdir(fds)) {
                if (entry->d_name[0] != '.' && std::atoi(entry->d_name) != ::dirfd(fds))
                    taken.insert(std::atoi(entry->d_name));
            }
            ::closedir(fds);
        }
        rlim_t limit = 0;
        for (int free = 0; free < 5; ++limit)
            free += taken.count(int(limit)) == 0 ? 1 : 0;
        const rlimit limits{limit, limit};
        if (::setrlimit(RLIMIT_NOFILE, &limits) != 0) throw std::runtime_error(errnoText("setrlimit"));
        return std::vector<std::int64_t>{FileSize::onDisk(deep.tree.root())};
    });
    EXPECT_CHILD_OK(result, 1);
    EXPECT_EQ(result.values[0], deep.expected);
}

// ---- Mounts, each made in a private mount namespace of a child process.

TEST(FileSizeTest, AnotherFileSystemMountedInsideIsNotIncluded) {
    TempTree tree;
    const std::int64_t expected =
        sumAllocated({tree.file("cache/a", 30000), tree.file("cache/mnt-sibling", 7000)});
    const fs::path mountPoint = tree.dir("cache/mnt");
    const ChildResult result = runInChild([&] {
        enterPrivateMountNamespace();
        if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=32m") != 0)
            throw Unavailable(errnoText("mounting a tmpfs"));
        const fs::path big = tree.file("cache/mnt/big", 4 << 20);
        return std::vector<std::int64_t>{TempTree::allocated(big), FileSize::onDisk(tree.root()),
                                         ftsOnDisk(tree.root()), FileSize::onDisk(mountPoint)};
    });
    EXPECT_CHILD_OK(result, 4);
    ASSERT_GE(result.values[0], 4 << 20) << "the mounted file system did not hold the file";
    EXPECT_EQ(result.values[1], expected);
    EXPECT_EQ(result.values[2], expected);
    // Measured as the root, the mounted file system is walked as usual.
    EXPECT_EQ(result.values[3], result.values[0]);
}

TEST(FileSizeTest, BindMountOfAnAncestorEnds) {
    TempTree tree;
    const std::int64_t expected =
        sumAllocated({tree.file("top", 10000), tree.file("a/mid", 20000), tree.file("a/b/low", 30000)});
    const fs::path loop = tree.dir("a/b/loop");
    const ChildResult result = runInChild([&] {
        enterPrivateMountNamespace();
        if (::mount(tree.root().c_str(), loop.c_str(), nullptr, MS_BIND, nullptr) != 0)
            throw Unavailable(errnoText("bind mount"));
        return std::vector<std::int64_t>{FileSize::onDisk(tree.root()), ftsOnDisk(tree.root()),
                                         FileSize::onDisk(tree.path("a")), ftsOnDisk(tree.path("a"))};
    });
    EXPECT_CHILD_OK(result, 4);
    EXPECT_EQ(result.values[0], expected);
    EXPECT_EQ(result.values[1], expected);
    // From "a" the way round the loop passes the root once more before it meets "a" again.
    EXPECT_EQ(result.values[2], result.values[3]);
    EXPECT_EQ(result.values[2], expected);
}

TEST(FileSizeTest, BindMountFromTheSameFileSystemIsWalked) {
    TempTree tree;
    TempTree elsewhere;
    const std::int64_t inside = TempTree::allocated(tree.file("own", 10000));
    const std::int64_t bound = TempTree::allocated(elsewhere.file("deep/borrowed", 60000));
    const fs::path mountPoint = tree.dir("mnt");
    const ChildResult result = runInChild([&] {
        enterPrivateMountNamespace();
        if (::mount(elsewhere.root().c_str(), mountPoint.c_str(), nullptr, MS_BIND, nullptr) != 0)
            throw Unavailable(errnoText("bind mount"));
        return std::vector<std::int64_t>{FileSize::onDisk(tree.root()), ftsOnDisk(tree.root())};
    });
    EXPECT_CHILD_OK(result, 2);
    // Same device, so it is no mount crossing as far as the walk can tell, and fts agrees.
    EXPECT_EQ(result.values[0], inside + bound);
    EXPECT_EQ(result.values[1], inside + bound);
}

} // namespace

} // namespace brisklet
