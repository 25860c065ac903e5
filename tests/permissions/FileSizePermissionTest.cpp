#include "core/FileSize.h"

#include "support/FtsOracle.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

namespace brisklet {

namespace {

namespace fs = std::filesystem;
using test::TempTree;

using test::ftsOnDisk;

std::int64_t sumAllocated(const std::vector<fs::path>& entries) {
    std::int64_t total = 0;
    for (const fs::path& p : entries)
        total += TempTree::allocated(p);
    return total;
}

class FileSizePermissionTest : public ::testing::Test {
protected:
    void SetUp() override {
        // As root every folder is readable and none of these would test anything.
        ASSERT_NE(::geteuid(), 0u) << "run this program as an unprivileged user (tests/run-unprivileged.sh)";
    }

    // A tree whose folder `locked` holds data that the walk may or may not be allowed to reach.
    std::int64_t makeTree() {
        const std::int64_t reachable = sumAllocated({tree.file("a", 20000), tree.file("sub/b", 30000),
                                                     tree.symlink("sub/link", std::string(100, 'l'))});
        tree.file("locked/hidden", 400000);
        tree.file("locked/inner/deeper", 500000);
        tree.hardlink("locked/inner/a-again", tree.path("a"));
        return reachable;
    }

    void lock(mode_t mode) { ASSERT_EQ(::chmod(tree.path("locked").c_str(), mode), 0); }

    TempTree tree;
};

TEST_F(FileSizePermissionTest, UnreadableFolderIsPassedOver) {
    const std::int64_t reachable = makeTree();
    lock(0);
    EXPECT_EQ(FileSize::onDisk(tree.root()), reachable);
    EXPECT_EQ(FileSize::onDisk(tree.root()), ftsOnDisk(tree.root()));
    EXPECT_EQ(FileSize::onDisk(tree.path("locked")), 0);
    EXPECT_EQ(FileSize::onDisk(tree.path("locked/hidden")), 0);
}

// The names inside can be listed but not looked at: fts reports each as unstatable and so counts
// none of them, and neither does a walk that stats relative to the folder.
TEST_F(FileSizePermissionTest, ReadableButNotSearchableFolderCountsNothingInside) {
    const std::int64_t reachable = makeTree();
    lock(0444);
    EXPECT_EQ(FileSize::onDisk(tree.root()), reachable);
    EXPECT_EQ(FileSize::onDisk(tree.root()), ftsOnDisk(tree.root()));
    EXPECT_EQ(FileSize::onDisk(tree.path("locked")), ftsOnDisk(tree.path("locked")));
}

TEST_F(FileSizePermissionTest, SearchableButNotReadableFolderCountsNothingInside) {
    const std::int64_t reachable = makeTree();
    lock(0111);
    EXPECT_EQ(FileSize::onDisk(tree.root()), reachable);
    EXPECT_EQ(FileSize::onDisk(tree.root()), ftsOnDisk(tree.root()));
    // Given by name, an entry in it is reachable all the same.
    EXPECT_EQ(FileSize::onDisk(tree.path("locked/hidden")), TempTree::allocated(tree.path("locked/hidden")));
}

TEST_F(FileSizePermissionTest, UnreadableRootMeasuresZeroButUnreadableFilesCount) {
    const fs::path secret = tree.file("secret", 60000);
    ASSERT_EQ(::chmod(secret.c_str(), 0), 0);
    // Blocks come from the entry's status, which needs no right to read the file.
    EXPECT_EQ(FileSize::onDisk(tree.root()), TempTree::allocated(secret));
    EXPECT_GT(FileSize::onDisk(secret), 0);
    ASSERT_EQ(::chmod(tree.root().c_str(), 0), 0);
    EXPECT_EQ(FileSize::onDisk(tree.root()), 0);
    EXPECT_EQ(FileSize::onDisk(tree.root()), ftsOnDisk(tree.root()));
}

} // namespace

} // namespace brisklet
