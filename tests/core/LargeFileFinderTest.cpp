#include "core/LargeFileFinder.h"

#include "core/FileSize.h"
#include "support/TempTree.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace brisklet {

namespace {

namespace fs = std::filesystem;
using test::TempTree;

constexpr int kNoLimit = 1 << 30;

std::chrono::system_clock::time_point modifiedOf(const fs::path& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(st.st_mtim.tv_sec) + std::chrono::nanoseconds(st.st_mtim.tv_nsec)));
}

std::vector<std::string> relativeUrls(const fs::path& root, const std::vector<LargeFile>& found) {
    std::vector<std::string> urls;
    for (const LargeFile& file : found)
        urls.push_back(file.url.lexically_relative(root).string());
    return urls;
}

std::vector<std::string> find(const TempTree& tree, std::int64_t minSize, const char* root = "",
                              const char* home = "home", int limit = 300) {
    const fs::path from = *root ? tree.path(root) : tree.root();
    return relativeUrls(tree.root(), LargeFileFinder::find(from, minSize, limit, tree.path(home)));
}

// ---- Which files are listed: every file here but the ones named "keep…" is far larger than the
// threshold, and only the "keep…" ones may be listed.

struct RuleCase {
    const char* name;
    std::function<void(TempTree&)> make;
    std::vector<std::string> expected;
    const char* root = "";
};

class LargeFileRuleTest : public ::testing::TestWithParam<RuleCase> {};

constexpr std::size_t kBig = 300000;
constexpr std::int64_t kThreshold = 200000;

TEST_P(LargeFileRuleTest, ListsExactlyTheFilesOutsideTheSkippedPlaces) {
    const RuleCase& c = GetParam();
    TempTree tree;
    c.make(tree);
    std::vector<std::string> found = find(tree, kThreshold, c.root);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, c.expected);
}

const RuleCase kRuleCases[] = {
    {"PlainFilesAtAnyDepth",
     [](TempTree& t) {
         t.file("keep-top", kBig);
         t.file("Movies/a/b/c/keep-deep", kBig);
         t.file("small", 1000);
     },
     {"Movies/a/b/c/keep-deep", "keep-top"}},
    {"NodeModulesFoldersAreNotSearched",
     [](TempTree& t) {
         t.file("app/node_modules/x/big", kBig);
         t.file("app/node_modules2/keep", kBig);
     },
     {"app/node_modules2/keep"}},
    {"HiddenFilesAndFoldersAreNotListed",
     [](TempTree& t) {
         t.file(".hidden/big", kBig);
         t.file("dir/.big", kBig);
         t.file("dir/keep.big", kBig);
     },
     {"dir/keep.big"}},
    {"TheHomesLibraryIsNotSearched",
     [](TempTree& t) {
         t.file("home/Library/Caches/big", kBig);
         t.file("home/Documents/Library/keep", kBig);
         t.file("elsewhere/Library/keep", kBig);
     },
     {"elsewhere/Library/keep", "home/Documents/Library/keep"}},
    {"TheHomesLibraryThroughALinkToHome",
     [](TempTree& t) {
         t.file("home/Library/big", kBig);
         t.file("home/keep", kBig);
         t.symlink("home-link", t.path("home"));
     },
     {"home-link/keep"},
     "home-link"},
    {"TheLibraryAsRootIsSearched",
     [](TempTree& t) { t.file("home/Library/keep", kBig); },
     {"home/Library/keep"},
     "home/Library"},
    {"MediaLibrariesAreNeitherListedNorSearched",
     [](TempTree& t) {
         t.file("Pictures/Photos Library.photoslibrary/originals/big", kBig);
         t.file("Music/Music.musiclibrary/big", kBig);
         t.file("Movies/TV.tvlibrary/big", kBig);
         t.file("x.PhotosLibrary/keep", kBig);
         t.file("photoslibrary/keep", kBig);
         t.file("a.photoslibrary.old/keep", kBig);
         t.file("keep.photoslibrary", kBig); // a file, not a folder
     },
     {"a.photoslibrary.old/keep", "keep.photoslibrary", "photoslibrary/keep", "x.PhotosLibrary/keep"}},
    {"LinksAreNeitherListedNorFollowed",
     [](TempTree& t) {
         t.file("real/keep", kBig);
         t.symlink("link-to-file", t.path("real/keep"));
         t.symlink("link-to-folder", t.path("real"));
     },
     {"real/keep"}},
    {"OtherKindsOfEntryAreNotFiles",
     [](TempTree& t) {
         t.file("keep", kBig);
         ASSERT_EQ(::mkfifo(t.path("fifo").c_str(), 0644), 0);
     },
     {"keep"}},
    {"SparseFilesCountWhatTheyHold",
     [](TempTree& t) {
         t.sparse("huge-but-empty.img", 1LL << 34);
         t.file("keep", kBig);
     },
     {"keep"}},
    {"HiddenRootIsSearched", [](TempTree& t) { t.file(".root/keep", kBig); }, {".root/keep"}, ".root"},
    {"OddNamesAreKeptAsBytes",
     [](TempTree& t) { t.file("keep\nnew line/\xff\xfe keep", kBig); },
     {"keep\nnew line/\xff\xfe keep"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, LargeFileRuleTest, ::testing::ValuesIn(kRuleCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Threshold, limit, order

TEST(LargeFileFinderTest, ThresholdIsInclusiveOnAllocatedBytes) {
    TempTree tree;
    const std::int64_t size = TempTree::allocated(tree.file("f", 100000));
    ASSERT_GT(size, 100000);
    tree.text("empty", "");
    EXPECT_EQ(find(tree, size), std::vector<std::string>{"f"});
    EXPECT_TRUE(find(tree, size + 1).empty());
    // Nothing allocated still reaches a threshold of zero or less.
    EXPECT_EQ(find(tree, 0), (std::vector<std::string>{"f", "empty"}));
    EXPECT_EQ(find(tree, -5), (std::vector<std::string>{"f", "empty"}));
}

TEST(LargeFileFinderTest, LimitCutsAfterSorting) {
    TempTree tree;
    // Made smallest first, so a limit applied while walking would keep the wrong ones.
    for (int i = 1; i <= 10; ++i)
        tree.file("f" + std::to_string(i), static_cast<std::size_t>(i) * 20000);
    EXPECT_EQ(find(tree, 1, "", "home", 1), std::vector<std::string>{"f10"});
    EXPECT_EQ(find(tree, 1, "", "home", 3), (std::vector<std::string>{"f10", "f9", "f8"}));
    EXPECT_EQ(find(tree, 1, "", "home", 300).size(), 10u);
    EXPECT_TRUE(find(tree, 1, "", "home", 0).empty());
    EXPECT_TRUE(find(tree, 1, "", "home", -1).empty());
}

// The walk against a plain recursive one over random trees (deep chains, wide folders, links,
// hidden and skipped entries, many equal sizes): the same files in the same order, ties included.
class Oracle {
public:
    explicit Oracle(fs::path home) : m_library((home / "Library").string()) {}

    std::vector<LargeFile> find(const fs::path& root, std::int64_t minSize, int limit) {
        m_found.clear();
        walk(root, minSize);
        std::stable_sort(m_found.begin(), m_found.end(),
                         [](const LargeFile& a, const LargeFile& b) { return a.size > b.size; });
        if (m_found.size() > static_cast<std::size_t>(limit)) m_found.resize(static_cast<std::size_t>(limit));
        return m_found;
    }

private:
    void walk(const fs::path& folder, std::int64_t minSize) {
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr) return;
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(dir))
            names.emplace_back(entry->d_name);
        ::closedir(dir);
        for (const std::string& name : names) {
            if (name.starts_with('.')) continue;
            const fs::path p = folder / name;
            struct stat st {};
            if (::lstat(p.c_str(), &st) != 0) continue;
            if (S_ISREG(st.st_mode)) {
                const std::int64_t size = static_cast<std::int64_t>(st.st_blocks) * 512;
                if (size >= minSize) m_found.push_back(LargeFile{p, size, modifiedOf(p)});
            } else if (S_ISDIR(st.st_mode) && name != "node_modules" && p.string() != m_library &&
                       !name.ends_with(".photoslibrary")) {
                walk(p, minSize);
            }
        }
    }

    std::string m_library;
    std::vector<LargeFile> m_found;
};

void makeRandomTree(TempTree& tree, unsigned seed) {
    std::mt19937 random(seed);
    const char* kNames[] = {"a", "b", "c", ".h", "node_modules", "x.photoslibrary", "Library", "deep"};
    for (int i = 0; i < 400; ++i) {
        std::string p = random() % 2 ? "home" : "";
        const int depth =
            random() % 20 == 0 ? 60 + static_cast<int>(random() % 60) : static_cast<int>(random() % 5);
        for (int level = 0; level < depth; ++level)
            p += (p.empty() ? "" : "/") + std::string(kNames[random() % 8]);
        p += (p.empty() ? "f" : "/f") + std::to_string(i);
        // Few distinct sizes, so that many ties must keep their walk order.
        tree.file(p, static_cast<std::size_t>(random() % 4) * 5000);
        if (i % 25 == 0) tree.symlink(p + "-link", tree.path(p));
    }
}

TEST(LargeFileFinderTest, AgreesWithAPlainWalkOnRandomTrees) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        TempTree tree;
        makeRandomTree(tree, seed);
        Oracle oracle(tree.path("home"));
        for (const std::int64_t minSize : {std::int64_t{0}, std::int64_t{4096}, std::int64_t{12000}}) {
            for (const int limit : {300, 7}) {
                EXPECT_EQ(LargeFileFinder::find(tree.root(), minSize, limit, tree.path("home")),
                          oracle.find(tree.root(), minSize, limit))
                    << "seed " << seed << ", minSize " << minSize << ", limit " << limit;
            }
        }
    }
}

TEST(LargeFileFinderTest, RootsThatAreNoFolders) {
    TempTree tree;
    tree.file("real/big", kBig);
    const fs::path link = tree.symlink("link", tree.path("real"));
    EXPECT_TRUE(find(tree, 1, "missing").empty());
    EXPECT_TRUE(find(tree, 1, "real/big").empty());
    EXPECT_TRUE(LargeFileFinder::find("", 1, 300, tree.path("home")).empty());
    // A root that is a link is searched, and results are named under it as given.
    EXPECT_EQ(relativeUrls(link, LargeFileFinder::find(link, 1, 300, tree.path("home"))),
              std::vector<std::string>{"big"});
}

// Five searches at once from a two-thread pool like the scans', all walking on the shared measuring
// pool: none may wait for a thread its own pool needs, and each gets the one-walk result.
TEST(LargeFileFinderTest, ConcurrentSearchesFromAnotherPoolFinish) {
    TempTree tree;
    makeRandomTree(tree, 9);
    const auto expected = Oracle(tree.path("home")).find(tree.root(), 4096, 300);
    QThreadPool scans;
    scans.setMaxThreadCount(2);
    std::vector<QFuture<std::vector<LargeFile>>> searches;
    for (int i = 0; i < 5; ++i) {
        searches.push_back(QtConcurrent::run(&scans, [root = tree.root(), home = tree.path("home")] {
            return LargeFileFinder::find(root, 4096, 300, home);
        }));
    }
    for (auto& search : searches)
        EXPECT_EQ(search.result(), expected);
}

// ---- Packages, through the walk's seam (Linux has none)

TEST(LargeFileFinderTest, PackagesCountAsOneFileMeasuredWhole) {
    TempTree tree;
    tree.file("Apps/Big.app/Contents/MacOS/binary", 200000);
    tree.file("Apps/Big.app/Contents/Resources/data", 200000);
    tree.file("Apps/Small.app/Contents/binary", 10000);
    tree.file("Apps/.Hidden.app/Contents/binary", 400000);
    tree.file("Apps/Big.app.d/keep", 300000);
    const timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, tree.path("Apps/Big.app").c_str(), times, 0), 0);
    const PackageTest isPackage = [](const fs::path& p) { return p.extension() == ".app"; };

    const auto found = LargeFileFinder::find(tree.root(), 150000, 300, tree.path("home"), isPackage);
    const fs::path big = tree.path("Apps/Big.app");
    const std::vector<LargeFile> expected{
        {big, FileSize::onDisk(big), std::chrono::system_clock::time_point(std::chrono::seconds(1600000000))},
        {tree.path("Apps/Big.app.d/keep"), TempTree::allocated(tree.path("Apps/Big.app.d/keep")),
         modifiedOf(tree.path("Apps/Big.app.d/keep"))}};
    EXPECT_EQ(found, expected);
}

// ---- Descriptors and mounts, each in a child process with its own limit or its own mounts.

struct Unavailable : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string errnoText(std::string_view what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void enterPrivateMountNamespace() {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    const auto writeWhole = [](const char* file, const std::string& contents) {
        const int fd = ::open(file, O_WRONLY | O_CLOEXEC);
        const bool ok =
            fd >= 0 && ::write(fd, contents.data(), contents.size()) == static_cast<ssize_t>(contents.size());
        if (fd >= 0) ::close(fd);
        if (!ok) throw Unavailable(errnoText(std::string("writing ") + file));
    };
    if (uid == 0) {
        if (::unshare(CLONE_NEWNS) != 0) throw Unavailable(errnoText("unshare(CLONE_NEWNS)"));
    } else {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) throw Unavailable(errnoText("unshare"));
        writeWhole("/proc/self/setgroups", "deny");
        writeWhole("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
        writeWhole("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        throw Unavailable(errnoText("making / private"));
}

// Runs `body` in a forked child and hands back the lines it returned; "SKIP …" when the child
// could not set up what the test needs. The child has none of the parent's threads, so a pool the
// parent started would wait for ever: finders in the child get a pool of their own.
std::vector<std::string> runInChild(const std::function<std::vector<std::string>(QThreadPool&)>& body) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return {"FAIL pipe"};
    const pid_t pid = ::fork();
    if (pid < 0) return {"FAIL fork"};
    if (pid == 0) {
        ::close(fds[0]);
        ::alarm(60); // a child that hangs dies and fails its test rather than stalling the run
        std::string out;
        try {
            QThreadPool pool;
            for (const std::string& line : body(pool))
                out += line + '\0';
        } catch (const Unavailable& e) {
            out = std::string("SKIP ") + e.what() + '\0';
        } catch (const std::exception& e) {
            out = std::string("FAIL ") + e.what() + '\0';
        }
        const bool written = ::write(fds[1], out.data(), out.size()) == static_cast<ssize_t>(out.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(fds[1]);
    std::string text;
    char chunk[512];
    for (ssize_t n; (n = ::read(fds[0], chunk, sizeof chunk)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        text.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (lines.empty()) lines.push_back("FAIL the child died, wait status " + std::to_string(status));
    return lines;
}

#define SKIP_IF_UNAVAILABLE(lines)                                                                           \
    do {                                                                                                     \
        if (!(lines).empty() && (lines)[0].starts_with("SKIP")) GTEST_SKIP() << (lines)[0];                  \
    } while (false)

TEST(LargeFileFinderTest, DeepTreeWithFewDescriptorsGivesTheSameResult) {
    TempTree tree;
    // A chain of 40 that forks into two chains of 110: whichever branch goes first, the walk comes
    // back to the fork far deeper than it keeps descriptors for, with work left there.
    std::string fork;
    for (int i = 0; i < 40; ++i)
        fork += "d/";
    for (const char* branch : {"x", "y"}) {
        std::string p = fork + branch;
        for (int i = 0; i < 110; ++i) {
            p += "/e";
            if (i % 20 == 0) tree.file(p + "/f", 8192);
        }
        tree.file(p + "/bottom", 8192);
    }
    tree.file(fork + "z/after", 8192);
    const auto expected =
        relativeUrls(tree.root(), LargeFileFinder::find(tree.root(), 1, 300, tree.path("home")));
    ASSERT_EQ(expected.size(), 15u);
    const auto lines = runInChild([&](QThreadPool& pool) {
        const rlimit limits{16, 16};
        if (::setrlimit(RLIMIT_NOFILE, &limits) != 0) throw std::runtime_error(errnoText("setrlimit"));
        return relativeUrls(tree.root(), LargeFileFinder::find(tree.root(), 1, 300, tree.path("home"), pool));
    });
    EXPECT_EQ(lines, expected);
}

TEST(LargeFileFinderTest, OtherFileSystemsAreSearchedKernelOnesAreNot) {
    TempTree tree;
    tree.file("own", kBig);
    const fs::path disk = tree.dir("Volumes/disk");
    const fs::path proc = tree.dir("proc");
    const auto lines = runInChild([&](QThreadPool& pool) {
        enterPrivateMountNamespace();
        if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=8m") != 0) throw Unavailable(errnoText("tmpfs"));
        if (::mount("proc", proc.c_str(), "proc", 0, nullptr) != 0) throw Unavailable(errnoText("proc"));
        tree.file("Volumes/disk/projects/big", kBig);
        auto found = relativeUrls(tree.root(),
                                  LargeFileFinder::find(tree.root(), 0, kNoLimit, tree.path("home"), pool));
        std::sort(found.begin(), found.end());
        return found;
    });
    SKIP_IF_UNAVAILABLE(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"Volumes/disk/projects/big", "own"}));
}

TEST(LargeFileFinderTest, BindMountOfAnAncestorIsNotWalkedAgain) {
    TempTree tree;
    tree.file("top", kBig);
    tree.file("a/b/low", kBig);
    const fs::path loop = tree.dir("a/b/loop");
    const auto lines = runInChild([&](QThreadPool& pool) {
        enterPrivateMountNamespace();
        if (::mount(tree.root().c_str(), loop.c_str(), nullptr, MS_BIND, nullptr) != 0)
            throw Unavailable(errnoText("bind mount"));
        auto found = relativeUrls(tree.root(),
                                  LargeFileFinder::find(tree.root(), 1, kNoLimit, tree.path("home"), pool));
        std::sort(found.begin(), found.end());
        return found;
    });
    SKIP_IF_UNAVAILABLE(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"a/b/low", "top"}));
}

} // namespace

} // namespace brisklet
