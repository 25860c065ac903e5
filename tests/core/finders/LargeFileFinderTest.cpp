#include "core/finders/LargeFileFinder.h"

#include "core/fs/FileSize.h"
#include "support/FiveAtOnce.h"
#include "support/MountNamespace.h"
#include "support/TempTree.h"

#include <QThreadPool>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <random>

namespace brisklet {

namespace {

namespace fs = std::filesystem;
using test::TempTree;

constexpr std::size_t kBig = 300000;

std::chrono::system_clock::time_point modifiedOf(const fs::path& file) {
    return std::chrono::file_clock::to_sys(fs::last_write_time(file));
}

std::vector<std::string> relativeUrls(const fs::path& root, const std::vector<LargeFile>& found) {
    std::vector<std::string> urls;
    for (const LargeFile& file : found)
        urls.push_back(file.url.lexically_relative(root).string());
    return urls;
}

std::vector<std::string> find(const TempTree& tree, std::int64_t minSize, const char* root = "",
                              int limit = 300) {
    const fs::path from = *root ? tree.path(root) : tree.root();
    return relativeUrls(tree.root(), LargeFileFinder::find(from, minSize, limit, tree.path("home")));
}

// Every file made here is far over the threshold, and only the ones named "keep…" may be listed. Depth
// and the plainer skips are left to the random trees below.
struct RuleCase {
    const char* name;
    std::vector<std::string> files;
    std::vector<std::string> expected;
    const char* root = "";
    const char* extra = "";
};

class LargeFileRuleTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(LargeFileRuleTest, ListsExactlyTheFilesOutsideTheSkippedPlaces) {
    TempTree tree;
    for (const std::string& file : GetParam().files)
        tree.file(file, kBig);
    tree.build(GetParam().extra);
    std::vector<std::string> found = find(tree, 200000, GetParam().root);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, GetParam().expected);
}

const RuleCase kRuleCases[] = {
    {"NodeModulesNotSearched", {"a/node_modules/big", "a/node_modules2/keep"}, {"a/node_modules2/keep"}},
    {"HiddenNotListed", {".hidden/big", "dir/.big", "dir/keep.big"}, {"dir/keep.big"}},
    {"HomesLibraryNotSearched", {"home/Library/x/big", "home/a/Library/keep"}, {"home/a/Library/keep"}},
    // The home's Library is known by identity, not by how the walk spells its path.
    {"HomesLibraryThroughLinkToHome",
     {"home/Library/big", "home/keep"},
     {"home-link/keep"},
     "home-link",
     "home-link -> @home"},
    {"LibraryAsRootIsSearched", {"home/Library/keep"}, {"home/Library/keep"}, "home/Library"},
    {"MediaLibrariesNeitherListedNorSearched",
     {"P/Photos Library.photoslibrary/o/big", "M/Music.musiclibrary/big", "M/TV.tvlibrary/big",
      "x.PhotosLibrary/keep", "a.photoslibrary.old/keep", "keep.photoslibrary"},
     {"a.photoslibrary.old/keep", "keep.photoslibrary", "x.PhotosLibrary/keep"}},
    {"LinksAndFifosNotListedNorFollowed",
     {"real/keep"},
     {"real/keep"},
     "",
     "link-to-file -> @real/keep\nlink-to-folder -> @real\nfifo |"},
    {"SparseCountsWhatItHolds", {"keep"}, {"keep"}, "", "empty.img ~ 17179869184"},
    {"HiddenRootIsSearched", {".root/keep"}, {".root/keep"}, ".root"},
    {"OddNamesKeptAsBytes", {"keep\nnew line/\xff\xfe keep"}, {"keep\nnew line/\xff\xfe keep"}},
    // Roots that are no folders give nothing.
    {"MissingRoot", {"keep"}, {}, "missing"},
    {"FileRoot", {"keep"}, {}, "keep"},
};

INSTANTIATE_TEST_SUITE_P(Cases, LargeFileRuleTest, ::testing::ValuesIn(kRuleCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A plain recursive walk with the same rules; the listing order it meets entries in is readdir's,
// the same the finder sees, so equal sizes must come out in the same order.
void plainWalk(const fs::path& folder, const fs::path& library, std::int64_t minSize,
               std::vector<LargeFile>& out) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const fs::path& p = entry.path();
        const std::string name = p.filename().string();
        struct stat st {};
        if (name.starts_with('.') || ::lstat(p.c_str(), &st) != 0) continue;
        const std::int64_t size = static_cast<std::int64_t>(st.st_blocks) * 512;
        if (S_ISREG(st.st_mode) && size >= minSize)
            out.push_back(LargeFile{p, size, modifiedOf(p)});
        else if (S_ISDIR(st.st_mode) && name != "node_modules" && p != library &&
                 !name.ends_with(".photoslibrary"))
            plainWalk(p, library, minSize, out);
    }
}

std::vector<LargeFile> plainFind(const TempTree& tree, std::int64_t minSize, int limit) {
    std::vector<LargeFile> found;
    plainWalk(tree.root(), tree.path("home/Library"), minSize, found);
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.size > b.size; });
    found.resize(std::min(found.size(), static_cast<std::size_t>(limit)));
    return found;
}

// Deep chains, wide folders, links, hidden and skipped entries, and few distinct sizes (many ties).
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
        tree.file(p, static_cast<std::size_t>(random() % 4) * 5000);
        if (i % 25 == 0) tree.symlink(p + "-link", tree.path(p));
    }
}

TEST(LargeFileFinderTest, AgreesWithAPlainWalkOnRandomTrees) {
    for (unsigned seed = 1; seed <= 2; ++seed) {
        TempTree tree;
        makeRandomTree(tree, seed);
        for (const std::int64_t minSize : {0, 4096, 12000}) {
            for (const int limit : {300, 7}) {
                EXPECT_EQ(LargeFileFinder::find(tree.root(), minSize, limit, tree.path("home")),
                          plainFind(tree, minSize, limit))
                    << "seed " << seed << ", minSize " << minSize << ", limit " << limit;
            }
        }
    }
}

// Five searches at once from a two-thread pool like the scans', all walking on the shared measuring
// pool: none may wait for a thread its own pool needs.
TEST(LargeFileFinderTest, ConcurrentSearchesFromAnotherPoolFinish) {
    TempTree tree;
    makeRandomTree(tree, 9);
    const auto expected = plainFind(tree, 4096, 300);
    QThreadPool scans;
    for (const auto& found : test::fiveAtOnce(
             scans, [&] { return LargeFileFinder::find(tree.root(), 4096, 300, tree.path("home")); }))
        EXPECT_EQ(found, expected);
}

// ---- In a child process, with its own descriptor limit or its own mounts. The child has none of
// the parent's threads, so the finder gets a pool of its own there.

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
    const auto expected = find(tree, 1);
    ASSERT_EQ(expected.size(), 15u);
    BRISKLET_EXPECT_NAMESPACE_RUN(test::inChild([&](test::Checks& checks) {
        QThreadPool pool;
        const rlimit limits{16, 16};
        checks.expect(::setrlimit(RLIMIT_NOFILE, &limits) == 0, "setrlimit");
        const auto found = LargeFileFinder::find(tree.root(), 1, 300, tree.path("home"), pool);
        checks.expect(relativeUrls(tree.root(), found) == expected,
                      "a different result with few descriptors");
    }));
}

// Another disk mounted inside is searched; a kernel file system is not; a bind mount of an
// ancestor (a loop back to the root) is not walked a second time.
TEST(LargeFileFinderTest, MountsAreCrossedOnceAndKernelOnesNever) {
    TempTree tree;
    tree.file("own", kBig);
    tree.file("a/b/low", kBig);
    const fs::path disk = tree.dir("Volumes/disk");
    const fs::path proc = tree.dir("proc");
    const fs::path loop = tree.dir("a/b/loop");
    BRISKLET_EXPECT_NAMESPACE_RUN(test::inMountNamespace([&](test::Checks& checks) {
        test::mountTmpfs(disk);
        if (::mount("proc", proc.c_str(), "proc", 0, nullptr) != 0) throw test::Unavailable("mount proc");
        test::bindMount(tree.root(), loop);
        tree.file("Volumes/disk/projects/big", kBig);
        QThreadPool pool;
        auto found = relativeUrls(tree.root(),
                                  LargeFileFinder::find(tree.root(), 0, 1 << 30, tree.path("home"), pool));
        std::sort(found.begin(), found.end());
        checks.expect(found == std::vector<std::string>{"Volumes/disk/projects/big", "a/b/low", "own"},
                      "mounts crossed other than once, or a kernel one searched");
    }));
}

} // namespace

} // namespace brisklet
