#include "core/junk/JunkScanner.h"
#include "core/junk/TrashRule.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace brisklet {
namespace {

// These tests only mean something when permissions are enforced.
struct Unprivileged : ::testing::Test {
    void SetUp() override { ASSERT_NE(::geteuid(), 0u) << "run through tests/run-unprivileged.sh"; }
};

TEST_F(Unprivileged, AnUnreadableTrashIsDeniedAndEmpty) {
    test::TempTree tree;
    const std::pair<JunkLayout, const char*> layouts[] = {
        {JunkLayout::freedesktop, "home/.local/share/Trash/files"}, {JunkLayout::macOS, "home/.Trash"}};
    for (const auto& [layout, trash] : layouts) {
        const Locations l = Locations::forHome(tree.path("home"), tree.path("tmp"), layout);
        tree.file(std::string(trash) + "/x", 100'000);
        ASSERT_EQ(::chmod(tree.path(trash).c_str(), 0), 0);
        const JunkCategory category = JunkScanner::scan(JunkKind::trash, l);
        EXPECT_TRUE(category.accessDenied);
        EXPECT_TRUE(category.items.empty());
        ::chmod(tree.path(trash).c_str(), 0700);
    }
}

TEST_F(Unprivileged, AnUnreadableTrashInfoFallsBackToTheEntryName) {
    test::TempTree tree;
    const Locations l = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
    tree.file("home/.local/share/Trash/files/a.1.txt", 10);
    const auto info =
        tree.text("home/.local/share/Trash/info/a.1.txt.trashinfo", "[Trash Info]\nPath=/h/a.txt\n");
    ASSERT_EQ(::chmod(info.c_str(), 0), 0);
    const TrashCandidates trash = trashCandidates(l);
    ASSERT_EQ(trash.candidates.size(), 1u);
    EXPECT_EQ(trash.candidates[0].name, "a.1.txt");
    EXPECT_FALSE(trash.accessDenied);
}

} // namespace
} // namespace brisklet
