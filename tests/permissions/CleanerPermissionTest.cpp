#include "core/removal/Cleaner.h"

#include "core/fs/FileSize.h"
#include "core/removal/SafeRemove.h"

#include "Unprivileged.h"

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using CleanerUnprivileged = test::Unprivileged;

TEST_F(CleanerUnprivileged, AnItemLeftPartlyInPlaceCountsWhatWentAndFailsWhileBytesRemain) {
    // A read-only folder inside the item keeps its file; an empty folder in a folder we may not write
    // to stays, with nothing left to reclaim; a file in a folder we may not search can be neither
    // removed nor measured.
    tree.build(R"(
        home/.cache/app/gone.bin 200000
        home/.cache/app/sub/gone-too.bin 100000
        home/.cache/app/ro/kept.bin 50000
        home/.cache/locked/empty/
        home/.cache/hidden/item.bin 10000)");
    const fs::path partial = tree.path("home/.cache/app"), empty = tree.path("home/.cache/locked/empty"),
                   unreachable = tree.path("home/.cache/hidden/item.bin");
    const std::int64_t left = test::TempTree::allocated(tree.path("home/.cache/app/ro/kept.bin"));
    const std::int64_t size = FileSize::onDisk(partial);
    chmod("home/.cache/app/ro", 0555);
    chmod("home/.cache/locked", 0555);
    chmod("home/.cache/hidden", 0);
    const CleanResult result =
        Cleaner::deleteItems({{partial, size}, {empty, 4'096}, {unreachable, 12'288}}, locations);
    EXPECT_EQ(result, (CleanResult{size - left + 4'096, {partial, unreachable}}));
    EXPECT_TRUE(fs::exists(empty));
}

TEST_F(CleanerUnprivileged, WhatStaysUnmeasuredStillFailsAndATrashEntryKeepsItsRecord) {
    // Inside an unreadable folder nothing can be measured, so measuring says nothing is left.
    tree.build(R"(
        home/.cache/app/gone.bin 10000
        home/.cache/app/locked/secret.bin 10000
        home/.local/share/Trash/files/project/a.bin 10000
        home/.local/share/Trash/files/project/ro/b.bin 10000
        home/.local/share/Trash/info/project.trashinfo = [Trash Info]
        home/.local/share/Trash/info/a.trashinfo = [Trash Info])");
    chmod("home/.cache/app/locked", 0);
    chmod("home/.local/share/Trash/files/project/ro", 0555);
    const fs::path app = tree.path("home/.cache/app"),
                   entry = tree.path("home/.local/share/Trash/files/project");
    const CleanResult result = Cleaner::deleteItems({{app, 20'480}, {entry, 20'480}}, locations);
    EXPECT_EQ(result.failed, (std::vector<fs::path>{app, entry}));
    EXPECT_TRUE(fs::exists(tree.path("home/.local/share/Trash/info/project.trashinfo")));
    // A record that cannot be unlinked is reported as staying.
    chmod("home/.local/share/Trash/info", 0555);
    EXPECT_FALSE(SafeRemove::removeNonFolder(tree.path("home/.local/share/Trash/info"), "a.trashinfo"));
    EXPECT_TRUE(fs::exists(tree.path("home/.local/share/Trash/info/a.trashinfo")));
}

} // namespace
} // namespace brisklet
