#include "core/Cleaner.h"

#include "core/FileSize.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace brisklet {
namespace {

namespace fs = std::filesystem;

bool present(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

// These tests only mean something when permissions are enforced.
struct CleanerUnprivileged : ::testing::Test {
    void SetUp() override { ASSERT_NE(::geteuid(), 0u) << "run through tests/run-unprivileged.sh"; }

    test::TempTree tree;
    fs::path cache = tree.dir("home/.cache");
    Locations locations = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
};

TEST_F(CleanerUnprivileged, APartlyRemovedItemCountsWhatWentAndStaysFailed) {
    const fs::path item = tree.dir("home/.cache/app");
    tree.file("home/.cache/app/gone.bin", 200'000);
    tree.file("home/.cache/app/sub/gone-too.bin", 100'000);
    const fs::path kept = tree.file("home/.cache/app/readonly/kept.bin", 50'000);
    ASSERT_EQ(::chmod(kept.parent_path().c_str(), 0555), 0);
    const std::int64_t size = FileSize::onDisk(item);
    const std::int64_t left = test::TempTree::allocated(kept);
    ASSERT_GT(left, 0);

    const CleanResult result = Cleaner::deleteItems({{item, size}}, locations);

    EXPECT_EQ(result, (CleanResult{size - left, {item}}));
    EXPECT_TRUE(present(kept));
    EXPECT_FALSE(present(item / "gone.bin"));
    EXPECT_FALSE(present(item / "sub"));
}

TEST_F(CleanerUnprivileged, AnItemThatStaysButHoldsNoBytesIsNotFailed) {
    // An empty folder in a folder we may not write to: it stays, but nothing is left to reclaim.
    const fs::path item = tree.dir("home/.cache/locked/empty");
    ASSERT_EQ(::chmod(item.parent_path().c_str(), 0555), 0);
    EXPECT_EQ(Cleaner::deleteItems({{item, 4'096}}, locations), (CleanResult{4'096, {}}));
    EXPECT_TRUE(present(item));
}

TEST_F(CleanerUnprivileged, AnUnreadableFolderLeftBehindFailsTheItem) {
    // What is inside cannot be measured, so measuring says nothing is left; the item still failed.
    const fs::path item = tree.dir("home/.cache/app");
    tree.file("home/.cache/app/gone.bin", 10'000);
    const fs::path locked = tree.file("home/.cache/app/locked/secret.bin", 10'000).parent_path();
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);

    const CleanResult result = Cleaner::deleteItems({{item, 20'480}}, locations);

    EXPECT_EQ(result.failed, std::vector<fs::path>{item});
    EXPECT_FALSE(present(item / "gone.bin"));
    ASSERT_EQ(::chmod(locked.c_str(), 0700), 0);
    EXPECT_TRUE(present(locked / "secret.bin"));
}

TEST_F(CleanerUnprivileged, AnItemThatCannotBeReachedFreesNothingAndFails) {
    // Measuring what is left would find nothing here either: nothing in a folder we may not search
    // can be looked at.
    const fs::path item = tree.file("home/.cache/locked/item.bin", 10'000);
    ASSERT_EQ(::chmod(item.parent_path().c_str(), 0), 0);
    EXPECT_EQ(Cleaner::deleteItems({{item, 12'288}}, locations), (CleanResult{0, {item}}));
    ASSERT_EQ(::chmod(item.parent_path().c_str(), 0700), 0);
    EXPECT_TRUE(present(item));
}

TEST_F(CleanerUnprivileged, APartlyRemovedTrashEntryKeepsItsRecord) {
    const fs::path item = tree.dir("home/.local/share/Trash/files/project");
    tree.file("home/.local/share/Trash/files/project/a.bin", 10'000);
    const fs::path kept = tree.file("home/.local/share/Trash/files/project/ro/b.bin", 10'000);
    const fs::path record = tree.text("home/.local/share/Trash/info/project.trashinfo", "[Trash Info]\n");
    ASSERT_EQ(::chmod(kept.parent_path().c_str(), 0555), 0);

    const CleanResult result = Cleaner::deleteItems({{item, 20'480}}, locations);

    EXPECT_EQ(result.failed, std::vector<fs::path>{item});
    EXPECT_TRUE(present(kept));
    EXPECT_TRUE(present(record));
}

} // namespace
} // namespace brisklet
