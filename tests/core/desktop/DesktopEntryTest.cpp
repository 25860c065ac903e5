#include "core/desktop/DesktopEntry.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

namespace brisklet {
namespace {

// The data folders are searched in order, the user's own first, and the first file with the id
// decides: a hidden entry hides the application, and one that cannot be read still decides.
// Subfolders are not searched; odd ids find nothing.
TEST(DesktopEntry, TheFirstFileWithTheIdDecides) {
    test::TempTree tree;
    Locations l = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
    l.dataDirs = {tree.path("usr/local/share"), tree.path("usr/share")};
    tree.build(R"(
        usr/share/applications/{vlc,totem,gimp,kde/okular}.desktop = [Desktop Entry]\nType=Application\nName=App
        home/.local/share/applications/totem.desktop = [Desktop Entry]\nType=Application\nName=T\nHidden=true
        usr/local/share/applications/gimp.desktop/)");
    const auto app = applicationWithId("vlc", l);
    ASSERT_TRUE(app);
    EXPECT_EQ(app->name, "App");
    EXPECT_EQ(app->url, tree.path("usr/share/applications/vlc.desktop"));
    EXPECT_EQ(findDesktopEntry("totem", l)->path, tree.path("home/.local/share/applications/totem.desktop"));
    for (const char* id : {"totem", "gimp", "okular", "kde/okular", "..", ""})
        EXPECT_FALSE(applicationWithId(id, l)) << id;
}

} // namespace
} // namespace brisklet
