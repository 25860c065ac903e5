#include "core/fs/FileSize.h"

#include "support/FtsOracle.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

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

// As root every folder is readable and none of these would test anything.
struct FileSizePermissionTest : ::testing::Test {
    void SetUp() override { ASSERT_NE(::geteuid(), 0u) << "run through tests/run-unprivileged.sh"; }
};

// A folder `locked` whose data the walk may or may not reach. Unsearchable (0 and 0444): fts reports
// each name inside as unstatable and counts none, and neither does a walk that stats relative to the
// folder. Unreadable (0 and 0111): no names to count, though one given by name is reachable.
TEST_F(FileSizePermissionTest, AFolderThatCannotBeReadOrSearchedIsPassedOver) {
    for (const mode_t mode : {0000, 0444, 0111}) {
        SCOPED_TRACE(mode);
        TempTree tree;
        const std::int64_t reachable = sumAllocated({tree.file("a", 20000), tree.file("sub/b", 30000),
                                                     tree.symlink("sub/link", std::string(100, 'l'))});
        const fs::path hidden = tree.file("locked/hidden", 400000);
        tree.file("locked/inner/deeper", 500000);
        tree.hardlink("locked/inner/a-again", tree.path("a"));
        ASSERT_EQ(::chmod(tree.path("locked").c_str(), mode), 0);
        EXPECT_EQ(FileSize::onDisk(tree.root()), reachable);
        EXPECT_EQ(FileSize::onDisk(tree.root()), ftsOnDisk(tree.root()));
        EXPECT_EQ(FileSize::onDisk(tree.path("locked")), ftsOnDisk(tree.path("locked")));
        EXPECT_EQ(FileSize::onDisk(hidden), mode == 0111 ? TempTree::allocated(hidden) : 0);
    }
}

TEST_F(FileSizePermissionTest, UnreadableRootMeasuresZeroButUnreadableFilesCount) {
    TempTree tree;
    const fs::path secret = tree.file("secret", 60000);
    ASSERT_EQ(::chmod(secret.c_str(), 0), 0);
    // Blocks come from the entry's status, which needs no right to read the file.
    EXPECT_EQ(FileSize::onDisk(tree.root()), TempTree::allocated(secret));
    ASSERT_EQ(::chmod(tree.root().c_str(), 0), 0);
    EXPECT_EQ(FileSize::onDisk(tree.root()), 0);
    EXPECT_EQ(FileSize::onDisk(tree.root()), ftsOnDisk(tree.root()));
}

} // namespace

} // namespace brisklet
