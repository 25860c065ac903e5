#include "core/removal/Cleaner.h"

#include "core/fs/FileSize.h"
#include "core/removal/SafeRemove.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace brisklet {
namespace {

namespace fs = std::filesystem;

// These tests only mean something when permissions are enforced.
struct CleanerUnprivileged : ::testing::Test {
    void SetUp() override { ASSERT_NE(::geteuid(), 0u) << "run through tests/run-unprivileged.sh"; }

    // Takes write permission (or with mode 0 every permission) from the folder holding `path`.
    fs::path lockParent(const fs::path& path, mode_t mode = 0555) {
        EXPECT_EQ(::chmod(path.parent_path().c_str(), mode), 0) << path;
        return path;
    }

    test::TempTree tree;
    Locations locations = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
};

TEST_F(CleanerUnprivileged, AnItemLeftPartlyInPlaceCountsWhatWentAndFailsWhileBytesRemain) {
    const fs::path partial = tree.file("home/.cache/app/gone.bin", 200'000).parent_path();
    tree.file("home/.cache/app/sub/gone-too.bin", 100'000);
    const std::int64_t left =
        test::TempTree::allocated(lockParent(tree.file("home/.cache/app/ro/kept.bin", 50'000)));
    ASSERT_GT(left, 0);
    const std::int64_t size = FileSize::onDisk(partial);
    // An empty folder in a folder we may not write to: it stays, but nothing is left to reclaim.
    const fs::path empty = lockParent(tree.dir("home/.cache/locked/empty"));
    // A file in a folder we may not search: nothing can be removed, nor measured.
    const fs::path unreachable = lockParent(tree.file("home/.cache/hidden/item.bin", 10'000), 0);

    const CleanResult result =
        Cleaner::deleteItems({{partial, size}, {empty, 4'096}, {unreachable, 12'288}}, locations);

    EXPECT_EQ(result, (CleanResult{size - left + 4'096, {partial, unreachable}}));
    EXPECT_EQ(::access(empty.c_str(), F_OK), 0) << "the empty folder stays";
}

TEST_F(CleanerUnprivileged, WhatStaysUnmeasuredStillFailsAndATrashEntryKeepsItsRecord) {
    // Inside an unreadable folder nothing can be measured, so measuring says nothing is left.
    const fs::path app = tree.file("home/.cache/app/gone.bin", 10'000).parent_path();
    lockParent(tree.file("home/.cache/app/locked/secret.bin", 10'000), 0);
    const std::string trash = "home/.local/share/Trash/";
    const fs::path entry = tree.file(trash + "files/project/a.bin", 10'000).parent_path();
    lockParent(tree.file(trash + "files/project/ro/b.bin", 10'000));
    const fs::path record = tree.text(trash + "info/project.trashinfo", "[Trash Info]\n");

    const CleanResult result = Cleaner::deleteItems({{app, 20'480}, {entry, 20'480}}, locations);

    EXPECT_EQ(result.failed, (std::vector<fs::path>{app, entry}));
    EXPECT_TRUE(fs::exists(record));
}

TEST_F(CleanerUnprivileged, ARecordThatCannotBeUnlinkedIsReportedAsStaying) {
    const fs::path record =
        lockParent(tree.text("home/.local/share/Trash/info/a.trashinfo", "[Trash Info]\n"));
    EXPECT_FALSE(SafeRemove::removeNonFolder(record.parent_path(), "a.trashinfo"));
    EXPECT_TRUE(fs::exists(record));
}

} // namespace
} // namespace brisklet
