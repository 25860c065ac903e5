#include "core/removal/SafeRemove.h"

#include "core/removal/Cleaner.h"
#include "core/removal/TrashEmptier.h"

#include "support/Entries.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using SafeRemove::Outcome;
using SafeRemove::State;

using test::present;

// Installs a hook for one test and takes it away again, whatever happens.
struct ListedHook {
    explicit ListedHook(std::function<void(const std::string&)> hook) {
        SafeRemove::testing::setListedHook(std::move(hook));
    }
    ~ListedHook() { SafeRemove::testing::setListedHook(nullptr); }
};

TEST(SafeRemove, TellsAnItemThatIsGoneFromOneItCannotReach) {
    test::TempTree tree;
    tree.build("parent/{file,folder/inner}\na-file\nlink -> @parent");
    const std::string parent = tree.path("parent");
    const std::tuple<std::string, std::string, Outcome> rows[] = {
        {parent, "file", {State::removed, false, 0}},
        {parent, "folder", {State::removed, false, 0}},
        {parent, "folder", {State::absent, false, 0}},
        {tree.path("no-such-parent"), "x", {State::absent, false, 0}},
        // The parent cannot be opened for another reason than its absence: nothing is known of the
        // item, so nothing may count as freed.
        {tree.path("a-file"), "x", {State::unreachable, false, ENOTDIR}},
        {tree.path("link"), "file", {State::unreachable, false, ENOTDIR}},
        {parent, ".", {State::unreachable, false, EINVAL}},
        {parent, "a/b", {State::unreachable, false, EINVAL}},
    };
    for (const auto& [folder, name, expected] : rows)
        EXPECT_EQ(SafeRemove::removeTree(folder, name), expected) << folder << " " << name;
    EXPECT_TRUE(present(tree.path("parent")));
}

TEST(SafeRemove, RemovesOnlyWhatIsNotAFolderWhenAskedTo) {
    test::TempTree tree;
    tree.build("parent/{file,folder/inner}\nparent/link -> @parent/folder");
    const std::string parent = tree.path("parent");
    EXPECT_TRUE(SafeRemove::removeNonFolder(parent, "file"));
    EXPECT_FALSE(present(tree.path("parent/file")));
    EXPECT_TRUE(SafeRemove::removeNonFolder(parent, "link"));
    EXPECT_TRUE(present(tree.path("parent/folder/inner"))) << "a link goes, never its target";
    EXPECT_FALSE(SafeRemove::removeNonFolder(parent, "folder"));
    EXPECT_TRUE(present(tree.path("parent/folder/inner")));
    EXPECT_TRUE(SafeRemove::removeNonFolder(parent, "file")) << "gone already is fine";
    EXPECT_FALSE(SafeRemove::removeNonFolder(tree.path("parent/folder/inner"), "x"));
}

// A folder renamed out of the item while the walk is inside it is left with everything in it,
// including what is written into it after the move; the item counts as partly removed.
TEST(SafeRemove, LeavesAFolderMovedOutOfTheItemWhileRemoving) {
    const struct {
        const char* listed;            // the folder whose listing triggers the move
        const char* moved;             // what moves out
        std::vector<const char*> kept; // below the moved folder, in its new place
    } rows[] = {
        // The folder being emptied.
        {"A", "item/A", {"a1", "a2", "B/b1", "B/C/c1"}},
        // An ancestor of the folder being emptied (its own files went before the move).
        {"B", "item/A", {"B/b1", "B/C/c1"}},
        {"C", "item/A/B", {"C/c1"}},
        // The item itself, out of its parent.
        {"item", "item", {"top", "A/a1", "A/a2", "A/B/b1", "A/B/C/c1"}},
    };
    for (const auto& row : rows) {
        test::TempTree tree;
        tree.build("item/{top,A/a1,A/a2,A/B/b1,A/B/C/c1} 100");
        const fs::path outside = tree.dir("outside") / "moved";
        int moves = 0;
        const ListedHook hook([&](const std::string& folder) {
            if (folder != row.listed || moves++ > 0) return;
            ASSERT_EQ(std::rename(tree.path(row.moved).c_str(), outside.c_str()), 0);
            std::ofstream(outside / "written-after-the-move") << "keep";
        });
        const Outcome outcome = SafeRemove::removeTree(tree.path(""), "item");
        ASSERT_EQ(moves, 1) << row.listed;
        EXPECT_EQ(outcome.state, State::partial) << row.listed;
        EXPECT_TRUE(outcome.leftUnmeasured) << row.listed;
        EXPECT_TRUE(present(outside / "written-after-the-move")) << row.listed;
        for (const char* kept : row.kept)
            EXPECT_TRUE(present(outside / kept)) << row.listed << ": " << kept;
    }
}

TEST(SafeRemove, AMovedFolderFailsTheItemForTheCleanerAndTheTrash) {
    test::TempTree tree;
    const Locations locations =
        Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
    tree.build("home/{.cache/app,.local/share/Trash/files/old}/data/file 100000");
    int moves = 0;
    const ListedHook hook([&](const std::string& folder) {
        if (folder != "data") return;
        const fs::path to = tree.dir("outside") / std::to_string(moves++);
        ASSERT_EQ(std::rename(tree.path(moves == 1 ? "home/.cache/app/data"
                                                   : "home/.local/share/Trash/files/old/data")
                                  .c_str(),
                              to.c_str()),
                  0);
    });
    const fs::path app = tree.path("home/.cache/app");
    const CleanResult cleaned = Cleaner::deleteItems({{app, 100'000}}, locations);
    EXPECT_EQ(cleaned.failed, std::vector<fs::path>{app});
    const TrashEmptier::Result emptied = TrashEmptier::emptyFolder(tree.path("home/.local/share/Trash"));
    EXPECT_EQ(emptied.notRemoved, 1);
    EXPECT_EQ(moves, 2);
    EXPECT_TRUE(present(tree.path("outside/0/file")));
    EXPECT_TRUE(present(tree.path("outside/1/file")));
}

// Deeper than the walk keeps descriptors for: on the way back up it reopens shallow folders by name.
// When one of them was renamed meanwhile the way back is lost, and what lies below it stays.
TEST(SafeRemove, ADeepRemovalThatCannotReopenItsWayBackIsPartial) {
    test::TempTree tree;
    std::string deep = "item";
    for (int depth = 0; depth < 40; ++depth)
        tree.file((deep += "/d") + "/f", 10);
    // The chain is listed top down, one folder after the other: the 41st listing is the deepest one.
    int listings = 0;
    int moves = 0;
    const ListedHook hook([&](const std::string&) {
        if (++listings != 41) return;
        ++moves;
        // The shallow folders were emptied on the way down; this file comes too late for that.
        std::ofstream(tree.path("item/d/d/late")) << "late";
        ASSERT_EQ(std::rename(tree.path("item/d/d").c_str(), tree.path("item/d/renamed").c_str()), 0);
    });
    const Outcome outcome = SafeRemove::removeTree(tree.path(""), "item");
    ASSERT_EQ(moves, 1);
    EXPECT_EQ(outcome.state, State::partial);
    EXPECT_TRUE(present(tree.path("item/d/renamed/late")));
    EXPECT_FALSE(present(tree.path(deep))) << "the part below the held descriptors went";
}

} // namespace
} // namespace brisklet
