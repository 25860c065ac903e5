#include "core/removal/SystemActions.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace brisklet {
namespace {

namespace fs = std::filesystem;

// These tests only mean something when permissions are enforced.
struct UnprivilegedEmptying : ::testing::Test {
    void SetUp() override { ASSERT_NE(::geteuid(), 0u) << "run through tests/run-unprivileged.sh"; }

    test::TempTree tree;
    Locations locations = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
    const std::string trash = "home/.local/share/Trash";

    void describe(const std::string& name) {
        tree.text(trash + "/info/" + name + ".trashinfo", "[Trash Info]\nPath=/h/" + name + "\n");
    }
};

// A read-only folder keeps what is inside it (and its description), though whatever below it could
// go went; an unreadable folder goes when it is empty and stays when not.
TEST_F(UnprivilegedEmptying, WhatCannotGoStaysWithItsDescriptionAndTheRestGoes) {
    tree.file(trash + "/files/locked/inside", 10);
    tree.file(trash + "/files/locked/open/also-inside", 10);
    tree.dir(trash + "/files/sealed-empty");
    tree.file(trash + "/files/sealed-full/x", 10);
    tree.file(trash + "/files/fine", 10);
    for (const char* name : {"locked", "sealed-empty", "sealed-full", "fine"})
        describe(name);
    ASSERT_EQ(::chmod(tree.path(trash + "/files/locked").c_str(), 0555), 0);
    ASSERT_EQ(::chmod(tree.path(trash + "/files/sealed-empty").c_str(), 0), 0);
    ASSERT_EQ(::chmod(tree.path(trash + "/files/sealed-full").c_str(), 0), 0);

    EXPECT_EQ(SystemActions::emptyTrash(locations, {}),
              Outcome::failed("2 items couldn't be removed. Permission denied."));
    EXPECT_TRUE(fs::exists(tree.path(trash + "/files/locked/inside")));
    EXPECT_TRUE(fs::exists(tree.path(trash + "/info/locked.trashinfo")));
    EXPECT_FALSE(fs::exists(tree.path(trash + "/files/locked/open/also-inside")));
    EXPECT_FALSE(fs::exists(tree.path(trash + "/files/sealed-empty")));
    EXPECT_TRUE(fs::exists(tree.path(trash + "/info/sealed-full.trashinfo")));
    EXPECT_FALSE(fs::exists(tree.path(trash + "/files/fine")));
    EXPECT_FALSE(fs::exists(tree.path(trash + "/info/fine.trashinfo")));
}

TEST_F(UnprivilegedEmptying, CountsEveryItemLeftBehind) {
    // Entries in a read-only files/ folder, then descriptions that cannot go with their removed entries,
    // then a Trash that cannot be read at all, which is no empty Trash.
    for (const std::string name : {"a", "b", "c"}) {
        tree.file(trash + "/files/" + name, 10);
        describe(name);
    }
    ASSERT_EQ(::chmod(tree.path(trash + "/files").c_str(), 0555), 0);
    EXPECT_EQ(SystemActions::emptyTrash(locations, {}),
              Outcome::failed("3 items couldn't be removed. Permission denied."));
    ::chmod(tree.path(trash + "/files").c_str(), 0700);

    ASSERT_EQ(::chmod(tree.path(trash + "/info").c_str(), 0555), 0);
    EXPECT_EQ(SystemActions::emptyTrash(locations, {}),
              Outcome::failed("3 items couldn't be removed. Permission denied."));
    EXPECT_TRUE(fs::is_empty(tree.path(trash + "/files")));

    tree.file(trash + "/files/x", 10);
    ASSERT_EQ(::chmod(tree.path(trash).c_str(), 0), 0);
    EXPECT_EQ(SystemActions::emptyTrash(locations, {}),
              Outcome::failed("1 item couldn't be removed. Permission denied."));
}

} // namespace
} // namespace brisklet
