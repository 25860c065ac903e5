#include "core/junk/JunkScanner.h"
#include "core/junk/TrashRule.h"

#include "Unprivileged.h"

namespace brisklet {
namespace {

using Unprivileged = test::Unprivileged;

TEST_F(Unprivileged, AnUnreadableTrashIsDeniedAndEmpty) {
    const std::pair<JunkLayout, const char*> layouts[] = {
        {JunkLayout::freedesktop, "home/.local/share/Trash/files"}, {JunkLayout::macOS, "home/.Trash"}};
    for (const auto& [layout, trash] : layouts) {
        tree.file(std::string(trash) + "/x", 100'000);
        chmod(trash, 0);
        const JunkCategory category = JunkScanner::scan(
            JunkKind::trash, Locations::forHome(tree.path("home"), tree.path("tmp"), layout));
        EXPECT_TRUE(category.accessDenied);
        EXPECT_TRUE(category.items.empty());
        chmod(trash, 0700);
    }
}

TEST_F(Unprivileged, AnUnreadableTrashInfoFallsBackToTheEntryName) {
    tree.build(R"(
        home/.local/share/Trash/files/a.1.txt
        home/.local/share/Trash/info/a.1.txt.trashinfo = [Trash Info]\nPath=/h/a.txt\n)");
    chmod("home/.local/share/Trash/info/a.1.txt.trashinfo", 0);
    const TrashCandidates trash = trashCandidates(locations);
    ASSERT_EQ(trash.candidates.size(), 1u);
    EXPECT_EQ(trash.candidates[0].name, "a.1.txt");
    EXPECT_FALSE(trash.accessDenied);
}

} // namespace
} // namespace brisklet
