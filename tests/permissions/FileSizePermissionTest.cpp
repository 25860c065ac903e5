#include "core/fs/FileSize.h"

#include "support/Entries.h"
#include "support/FtsOracle.h"

#include "Unprivileged.h"

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using test::ftsOnDisk;
using test::TempTree;
using FileSizePermissionTest = test::Unprivileged;

// A folder `locked` whose data the walk may or may not reach. Unsearchable (0 and 0444): fts reports
// each name inside as unstatable and counts none, and neither does a walk that stats relative to the
// folder. Unreadable (0 and 0111): no names to count, though one given by name is reachable.
TEST_F(FileSizePermissionTest, AFolderThatCannotBeReadOrSearchedIsPassedOver) {
    for (const mode_t mode : {0000, 0444, 0111}) {
        SCOPED_TRACE(mode);
        TempTree tree;
        tree.build("a 20000\nsub/b 30000\nlocked/hidden 400000\nlocked/inner/deeper "
                   "500000\nlocked/inner/a-again => @a");
        const std::int64_t reachable = test::sumAllocated(
            {tree.path("a"), tree.path("sub/b"), tree.symlink("sub/link", std::string(100, 'l'))});
        ASSERT_EQ(::chmod(tree.path("locked").c_str(), mode), 0);
        EXPECT_EQ(FileSize::onDisk(tree.root()), reachable);
        EXPECT_EQ(FileSize::onDisk(tree.root()), ftsOnDisk(tree.root()));
        EXPECT_EQ(FileSize::onDisk(tree.path("locked")), ftsOnDisk(tree.path("locked")));
        const fs::path hidden = tree.path("locked/hidden");
        EXPECT_EQ(FileSize::onDisk(hidden), mode == 0111 ? TempTree::allocated(hidden) : 0);
    }
}

TEST_F(FileSizePermissionTest, UnreadableRootMeasuresZeroButUnreadableFilesCount) {
    const fs::path secret = tree.file("secret", 60000);
    chmod("secret", 0);
    // Blocks come from the entry's status, which needs no right to read the file.
    EXPECT_EQ(FileSize::onDisk(tree.root()), TempTree::allocated(secret));
    chmod("", 0);
    EXPECT_EQ(FileSize::onDisk(tree.root()), 0);
    EXPECT_EQ(FileSize::onDisk(tree.root()), ftsOnDisk(tree.root()));
}

} // namespace
} // namespace brisklet
