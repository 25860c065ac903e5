#include "core/fs/FileSize.h"
#include "core/junk/JunkScanner.h"
#include "core/junk/TrashRule.h"
#include "core/removal/Cleaner.h"
#include "core/removal/SafeRemove.h"
#include "core/removal/SystemActions.h"

#include "Unprivileged.h"

namespace brisklet {
namespace {

namespace fs = std::filesystem;

using Unprivileged = test::Unprivileged;

TEST_F(Unprivileged, CleaningAnItemLeftPartlyInPlaceCountsWhatWentAndFailsWhileBytesRemain) {
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

TEST_F(Unprivileged, CleaningWhatStaysUnmeasuredStillFailsAndATrashEntryKeepsItsRecord) {
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

Outcome leftBehind(int items) {
    return Outcome::failed(std::to_string(items) + (items == 1 ? " item" : " items") +
                           " couldn't be removed. Permission denied.");
}

// A read-only folder keeps what is inside it (and its description), though whatever below it could
// go went; an unreadable folder goes when it is empty and stays when not.
TEST_F(Unprivileged, EmptyingKeepsWhatCannotGoWithItsDescriptionAndCountsEveryItemLeftBehind) {
    tree.build(R"(
        home/.local/share/Trash/files/locked/{inside,open/also-inside}
        home/.local/share/Trash/files/{sealed-empty/,sealed-full/x,fine}
        home/.local/share/Trash/info/{locked,sealed-empty,sealed-full,fine}.trashinfo = [Trash Info]\nPath=/h/x\n)");
    const std::string trash = "home/.local/share/Trash/";
    chmod(trash + "files/locked", 0555);
    chmod(trash + "files/sealed-empty", 0);
    chmod(trash + "files/sealed-full", 0);
    EXPECT_EQ(SystemActions::emptyTrash(locations, {}), leftBehind(2));
    for (const char* kept : {"files/locked/inside", "info/locked.trashinfo", "info/sealed-full.trashinfo"})
        EXPECT_TRUE(fs::exists(tree.path(trash + kept))) << kept;
    for (const char* gone :
         {"files/locked/open/also-inside", "files/sealed-empty", "files/fine", "info/fine.trashinfo"})
        EXPECT_FALSE(fs::exists(tree.path(trash + gone))) << gone;
    const Locations other = Locations::forHome(tree.path("other"), tree.path("tmp"), JunkLayout::freedesktop);
    // Entries in a read-only files/ folder, then descriptions that cannot go with their removed entries,
    // then a Trash that cannot be read at all, which is no empty Trash.
    tree.build(R"(
        other/.local/share/Trash/files/{a,b,c}
        other/.local/share/Trash/info/{a,b,c}.trashinfo = [Trash Info]\nPath=/h/x\n)");
    const std::string trash2 = "other/.local/share/Trash";
    chmod(trash2 + "/files", 0555);
    EXPECT_EQ(SystemActions::emptyTrash(other, {}), leftBehind(3));
    chmod(trash2 + "/files", 0700);
    chmod(trash2 + "/info", 0555);
    EXPECT_EQ(SystemActions::emptyTrash(other, {}), leftBehind(3));
    EXPECT_TRUE(fs::is_empty(tree.path(trash2 + "/files")));
    tree.file(trash2 + "/files/x", 10);
    chmod(trash2, 0);
    EXPECT_EQ(SystemActions::emptyTrash(other, {}), leftBehind(1));
}

// An unreadable description falls back to the entry's name; a Trash that cannot be read is denied.
TEST_F(Unprivileged, AnUnreadableTrashInfoFallsBackToTheEntryNameAndAnUnreadableTrashIsDenied) {
    tree.build(R"(
        home/.local/share/Trash/files/a.1.txt
        home/.local/share/Trash/info/a.1.txt.trashinfo = [Trash Info]\nPath=/h/a.txt\n
        home/.Trash/x 100000)");
    chmod("home/.local/share/Trash/info/a.1.txt.trashinfo", 0);
    const TrashCandidates trash = trashCandidates(locations);
    ASSERT_EQ(trash.candidates.size(), 1u);
    EXPECT_EQ(trash.candidates[0].name, "a.1.txt");
    EXPECT_FALSE(trash.accessDenied);
    chmod("home/.local/share/Trash/files", 0);
    chmod("home/.Trash", 0);
    for (const JunkLayout layout : {JunkLayout::freedesktop, JunkLayout::macOS}) {
        const JunkCategory category = JunkScanner::scan(
            JunkKind::trash, Locations::forHome(tree.path("home"), tree.path("tmp"), layout));
        EXPECT_TRUE(category.accessDenied && category.items.empty()) << static_cast<int>(layout);
    }
}

} // namespace
} // namespace brisklet
