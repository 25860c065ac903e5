#include "core/removal/SystemActions.h"

#include "Unprivileged.h"

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using UnprivilegedEmptying = test::Unprivileged;

Outcome leftBehind(int items) {
    return Outcome::failed(std::to_string(items) + (items == 1 ? " item" : " items") +
                           " couldn't be removed. Permission denied.");
}

// A read-only folder keeps what is inside it (and its description), though whatever below it could
// go went; an unreadable folder goes when it is empty and stays when not.
TEST_F(UnprivilegedEmptying, WhatCannotGoStaysWithItsDescriptionAndTheRestGoes) {
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
}

TEST_F(UnprivilegedEmptying, CountsEveryItemLeftBehind) {
    // Entries in a read-only files/ folder, then descriptions that cannot go with their removed entries,
    // then a Trash that cannot be read at all, which is no empty Trash.
    tree.build(R"(
        home/.local/share/Trash/files/{a,b,c}
        home/.local/share/Trash/info/{a,b,c}.trashinfo = [Trash Info]\nPath=/h/x\n)");
    const std::string trash = "home/.local/share/Trash";
    chmod(trash + "/files", 0555);
    EXPECT_EQ(SystemActions::emptyTrash(locations, {}), leftBehind(3));
    chmod(trash + "/files", 0700);
    chmod(trash + "/info", 0555);
    EXPECT_EQ(SystemActions::emptyTrash(locations, {}), leftBehind(3));
    EXPECT_TRUE(fs::is_empty(tree.path(trash + "/files")));
    tree.file(trash + "/files/x", 10);
    chmod(trash, 0);
    EXPECT_EQ(SystemActions::emptyTrash(locations, {}), leftBehind(1));
}

} // namespace
} // namespace brisklet
