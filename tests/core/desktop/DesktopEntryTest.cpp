#include "core/desktop/DesktopEntry.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

namespace brisklet {
namespace {

TEST(DesktopEntry, ReadsOnlyItsOwnGroupFirstKeyWinning) {
    const DesktopEntry e = DesktopEntry::parse("# comment\n"
                                               "Name=Outside any group\n"
                                               "[Desktop Entry]\n"
                                               "Type = Application\n"
                                               "Name=Text\\sEditor\\\\pro\n"
                                               "Name[de]=Texteditor\n"
                                               "Name=Second name\n"
                                               "Comment=Line one\\nLine two\\tTabbed\\q\n"
                                               "broken line without equals\n"
                                               "[Desktop Action new]\n"
                                               "Icon=not-ours\n");
    EXPECT_EQ(e.value("Type"), "Application");
    EXPECT_EQ(e.value("Name"), "Text Editor\\pro");
    EXPECT_EQ(e.value("Name[de]"), "Texteditor");
    EXPECT_EQ(e.value("Comment"), "Line one\nLine two\tTabbed\\q");
    EXPECT_EQ(e.value("Icon"), std::nullopt);
    EXPECT_TRUE(e.isShownApplication());
}

TEST(DesktopEntry, OnlyShownApplicationsCount) {
    const std::pair<const char*, bool> rows[] = {
        {"[Desktop Entry]\nType=Application\nName=A\nNoDisplay=false\n", true},
        {"[Desktop Entry]\nType=Application\nName=A\nNoDisplay=true\n", false},
        {"[Desktop Entry]\nType=Application\nName=A\nHidden=true\n", false},
        {"[Desktop Entry]\nType=Link\nName=A\n", false},
        {"[Desktop Entry]\nType=Application\nName=\n", false},
        {"[Desktop Entry]\nType=Application\nName[fr]=A\n", false},
        {"[Other]\nType=Application\nName=A\n", false},
    };
    for (const auto& [text, shown] : rows)
        EXPECT_EQ(DesktopEntry::parse(text).isShownApplication(), shown) << text;
}

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
