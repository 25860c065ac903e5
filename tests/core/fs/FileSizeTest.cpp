#include "core/fs/FileSize.h"

#include "core/fs/FileSizeSplit.h"
#include "support/DeepChain.h"
#include "support/Entries.h"
#include "support/FiveAtOnce.h"
#include "support/FtsOracle.h"
#include "support/MountNamespace.h"
#include "support/TempTree.h"

#include <QThreadPool>

#include <gtest/gtest.h>

#include <limits.h>
#include <sys/resource.h>

#include <random>

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

std::string differs(std::string_view what, std::int64_t got, std::int64_t expected) {
    return std::string(what) + ": " + std::to_string(got) + " bytes, expected " + std::to_string(expected);
}

// ---- The property: on generated trees, the figure is fts's. They hold every kind of entry (a fifo
// too, which would hang a walk that opened it), names that are not UTF-8 or hold a newline, sparse
// files, hard links within the tree and to a file outside it, and symbolic links with targets long
// enough to take blocks of their own, pointing up, to the root and outside the tree.

std::vector<std::string> makeRandomTree(TempTree& tree, const fs::path& outside, unsigned seed) {
    std::mt19937 random(seed);
    const auto below = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    static const char* const bases[] = {"f", "with\nnewline", "bad\xff\xfeutf8", ".hidden", "\xc3\xbc"};
    const std::string targets[] = {"../..", longTarget("dangling"), outside.string(), tree.root().string()};
    std::vector<std::string> dirs{""};
    std::vector<fs::path> files;
    for (int i = 0; i < 160; ++i) {
        const std::string parent = dirs[below(dirs.size())];
        const std::string name =
            (parent.empty() ? "" : parent + "/") + bases[below(std::size(bases))] + std::to_string(i);
        const std::size_t kind = below(8);
        if (kind < 2) dirs.push_back(tree.dir(name).lexically_relative(tree.root()));
        if (kind == 2 || kind == 3)
            files.push_back(tree.file(name, below(10) < 8 ? below(5000) : below(400000)));
        if (kind == 4) tree.sparse(name, std::int64_t{1} << (12 + below(23)));
        if (kind == 5) tree.hardlink(name, files.empty() || below(2) ? outside : files[below(files.size())]);
        if (kind == 6) tree.fifo(name);
        if (kind == 7) tree.symlink(name, targets[below(std::size(targets))]);
    }
    return dirs;
}

TEST(FileSizeTest, AgreesWithFtsOnRandomTrees) {
    for (unsigned seed = 1; seed <= 2; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TempTree tree;
        TempTree elsewhere;
        const fs::path outside = elsewhere.file(std::string(100, 'o'), 50000);
        makeRandomTree(tree, outside, seed);
        const std::int64_t whole = FileSize::onDisk(tree.root());
        EXPECT_EQ(whole, ftsOnDisk(tree.root()));
        EXPECT_GT(whole, 0);
        // Every entry as a root of its own: a file or a link is just itself (a link to a folder
        // too), and a folder's hard links have their other ends outside the walk. Measuring the
        // same folder again must not remember what the last walk saw.
        for (const auto& entry : fs::recursive_directory_iterator(tree.root())) {
            if (entry.is_fifo()) continue;
            EXPECT_EQ(FileSize::onDisk(entry.path()), ftsOnDisk(entry.path())) << entry.path();
        }
        EXPECT_EQ(FileSize::onDisk(tree.root()), whole);
        const fs::path linkedRoot = elsewhere.symlink("linked-root", tree.root());
        EXPECT_EQ(FileSize::onDisk(linkedRoot), TempTree::allocated(linkedRoot));
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

    BRISKLET_EXPECT_NAMESPACE_RUN(test::inChild([&](test::Checks& checks) {
        // Leave five descriptors free, far fewer than the tree is deep (new ones take the lowest free
        // numbers).
        const rlim_t limit = test::openDescriptors() + 4;
        const rlimit limits{limit, limit};
        checks.expect(::setrlimit(RLIMIT_NOFILE, &limits) == 0, "setrlimit");
        const std::int64_t got = FileSize::onDisk(tree.root());
        checks.expect(got == expected, differs("deep tree", got, expected));
    }));
}

// ---- Splitting one folder over threads.

// Sixteen subfolders for the threads to share, each holding files that have links in two others
// (so different threads meet the same files), and a flat folder whose listing is shared instead,
// with links inside it. Mounted inside: a tmpfs, a bind mount of the root (a loop that would make
// the walk endless), one of a sibling folder of this file system (fts, which only compares devices,
// would walk it), one from elsewhere, and a file bound over one of the flat folder's own. Split
// again and again, the whole and the flat folder alone, until the splits have handed over folders
// and parts of a listing and met links twice; each must give the one walk's figure exactly, and
// that is fts's figure from before anything was mounted, less the file covered by another. Each
// mount point is walked when it is the folder measured.
TEST(FileSizeTest, SplitOverThreadsGivesTheSingleWalksFigure) {
    constexpr int kFolders = 16;
    TempTree tree;
    TempTree elsewhere;
    const auto folder = [](int f) { return "s" + std::to_string(f % kFolders); };
    for (int f = 0; f < kFolders; ++f) {
        for (int i = 0; i < 12; ++i)
            tree.file(folder(f) + "/d" + std::to_string(i % 3) + "/f" + std::to_string(i), 900 * i + 70 * f);
        const fs::path shared = tree.file(folder(f) + "/shared", 5000 + 1000 * static_cast<std::size_t>(f));
        tree.hardlink(folder(f + 5) + "/deep/er/link" + std::to_string(f), shared);
        tree.hardlink(folder(f + 11) + "/link" + std::to_string(f), shared);
    }
    tree.hardlink(folder(3) + "/outside", elsewhere.file("outside", 70000));
    for (int i = 0; i < 1200; ++i)
        tree.file("flat/f" + std::to_string(i), 1 + static_cast<std::size_t>(i % 5) * 3000);
    for (int i = 0; i < 12; ++i)
        tree.hardlink("flat/g" + std::to_string(i), tree.path("flat/f" + std::to_string(i * 97)));
    const fs::path covered = tree.path("flat/f7");
    const std::int64_t expected = ftsOnDisk(tree.root()) - TempTree::allocated(covered);
    const std::int64_t expectedFlat = ftsOnDisk(tree.path("flat")) - TempTree::allocated(covered);
    const fs::path tmpfs = tree.dir(folder(2) + "/tmpfs");
    const fs::path loop = tree.dir(folder(7) + "/d1/loop");
    const fs::path borrowed = tree.dir(folder(12) + "/borrowed");
    const fs::path sibling = tree.dir(folder(9) + "/sibling");
    const std::int64_t inSibling = ftsOnDisk(tree.path(folder(0) + "/d0"));
    const std::int64_t inElsewhere = ftsOnDisk(elsewhere.root());

    BRISKLET_EXPECT_NAMESPACE_RUN(test::inMountNamespace([&](test::Checks& checks) {
        test::mountTmpfs(tmpfs);
        tree.file(folder(2) + "/tmpfs/hidden", 100000);
        test::bindMount(tree.root(), loop);
        test::bindMount(elsewhere.root(), borrowed);
        test::bindMount(elsewhere.path("outside"), covered);
        test::bindMount(tree.path(folder(0) + "/d0"), sibling);
        QThreadPool pool;
        pool.setMaxThreadCount(4);
        for (const auto& [root, figure] : {std::pair{tmpfs, TempTree::allocated(tmpfs / "hidden")},
                                           {borrowed, inElsewhere},
                                           {sibling, inSibling},
                                           {covered, TempTree::allocated(elsewhere.path("outside"))}}) {
            const std::int64_t got = FileSize::onDisk(root, pool);
            checks.expect(got == figure, differs("mount point " + root.native(), got, figure));
        }
        const std::int64_t single = FileSize::onDisk(tree.root(), pool, FileSize::Split{0, 1, 0});
        checks.expect(single == expected, differs("one thread", single, expected));
        FileSize::SplitReport seen;
        const auto splitAgain = [&](const fs::path& root, std::int64_t figure) {
            FileSize::SplitReport report;
            const std::int64_t split = FileSize::onDisk(root, pool, FileSize::Split{0, 1, 3}, &report);
            seen.handedOver += report.handedOver;
            seen.listsHandedOver += report.listsHandedOver;
            seen.linksMetTwice += report.linksMetTwice;
            checks.expect(split == figure, differs("split " + root.native(), split, figure));
            return split == figure;
        };
        for (int run = 0; run < 200; ++run) {
            if (seen.handedOver > 0 && seen.listsHandedOver > 0 && seen.linksMetTwice > 0) break;
            if (!splitAgain(tree.root(), expected) || !splitAgain(tree.path("flat"), expectedFlat)) break;
        }
        checks.expect(seen.handedOver > 0, "no split handed a folder over");
        checks.expect(seen.listsHandedOver > 0, "no split handed part of a listing over");
        checks.expect(seen.linksMetTwice > 0, "no two threads met the same file");
    }));
}

// Five measurements that are each a task of the very pool they ask for helpers: all its threads
// may be callers at once, so a caller that waited for a helper to get a thread would wait for ever.
TEST(FileSizeTest, MeasurementsSplitOverTheirOwnPoolFinish) {
    TempTree tree;
    for (int f = 0; f < 12; ++f)
        for (int i = 0; i < 8; ++i)
            tree.file("s" + std::to_string(f) + "/d/f" + std::to_string(i), 3000);
    const std::int64_t expected = ftsOnDisk(tree.root());
    QThreadPool pool;
    for (const std::int64_t measured : test::fiveAtOnce(pool, [&] {
             return FileSize::onDisk(tree.root(), pool, FileSize::Split{0, 1, 2});
         }))
        EXPECT_EQ(measured, expected);
}

// ---- Paths longer than PATH_MAX are measured piece by piece, as the kernel would resolve them:
// a link in the middle is followed, the last component is not.

TEST(FileSizeTest, PathsLongerThanPathMaxMeasureLikeShortOnes) {
    TempTree tree;
    test::DeepChain chain(tree.dir("real"), 300);
    const std::int64_t data = chain.file("item/inner/data", 70000);
    const std::int64_t more = chain.file("item/more", 9000);
    tree.symlink("link", tree.path("real"));
    const std::string tail = chain.bottom().lexically_relative(tree.path("real")).native();
    ASSERT_GT(chain.bottom().native().size(), std::size_t{PATH_MAX});
    EXPECT_EQ(FileSize::onDisk(chain.bottom() / "item"), data + more);
    EXPECT_EQ(FileSize::onDisk(chain.bottom() / "item/"), data + more);
    EXPECT_EQ(FileSize::onDisk(tree.path("link/" + tail + "/item")), data + more);
    EXPECT_EQ(FileSize::onDisk(tree.path("link/" + tail + "/item/inner/../more")), more);
    EXPECT_EQ(FileSize::onDisk(chain.bottom() / "missing"), 0);
    EXPECT_EQ(FileSize::onDisk(fs::path()), 0);
}

} // namespace

} // namespace brisklet
