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
                                               "Exec=/opt/edit/bin/edit %U\n"
                                               "Comment=Line one\\nLine two\\tTabbed\\q\n"
                                               "broken line without equals\n"
                                               "[Desktop Action new]\n"
                                               "Icon=not-ours\n");
    EXPECT_EQ(e.value("Type"), "Application");
    EXPECT_EQ(e.value("Name"), "Text Editor\\pro");
    EXPECT_EQ(e.value("Name[de]"), "Texteditor");
    EXPECT_EQ(e.value("Exec"), "/opt/edit/bin/edit %U");
    EXPECT_EQ(e.value("Comment"), "Line one\nLine two\tTabbed\\q");
    EXPECT_EQ(e.value("Icon"), std::nullopt);
    EXPECT_TRUE(e.isShownApplication());
}

TEST(DesktopEntry, OnlyShownApplicationsCount) {
    const struct {
        const char* text;
        bool shown;
    } rows[] = {
        {"[Desktop Entry]\nType=Application\nName=A\n", true},
        {"[Desktop Entry]\nType=Application\nName=A\nNoDisplay=true\n", false},
        {"[Desktop Entry]\nType=Application\nName=A\nNoDisplay=false\n", true},
        {"[Desktop Entry]\nType=Application\nName=A\nHidden=true\n", false},
        {"[Desktop Entry]\nType=Link\nName=A\n", false},
        {"[Desktop Entry]\nName=A\n", false},
        {"[Desktop Entry]\nType=Application\nName=\n", false},
        {"[Desktop Entry]\nType=Application\nName[fr]=A\n", false},
        {"[Other]\nType=Application\nName=A\n", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DesktopEntry::parse(row.text).isShownApplication(), row.shown) << row.text;
}

TEST(DesktopEntry, TheFirstFileWithTheIdDecides) {
    test::TempTree tree;
    Locations l = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
    l.dataDirs = {tree.path("usr/local/share"), tree.path("usr/share")};

    tree.text("usr/share/applications/vlc.desktop",
              "[Desktop Entry]\nType=Application\nName=VLC media player\n");
    auto app = applicationWithId("vlc", l);
    ASSERT_TRUE(app);
    EXPECT_EQ(app->name, "VLC media player");
    EXPECT_EQ(app->url, tree.path("usr/share/applications/vlc.desktop"));

    // The user's own entry above it hides the application: the search does not go on.
    tree.text("home/.local/share/applications/vlc.desktop",
              "[Desktop Entry]\nType=Application\nName=VLC\nHidden=true\n");
    EXPECT_FALSE(applicationWithId("vlc", l));
    EXPECT_EQ(findDesktopEntry("vlc", l)->path, tree.path("home/.local/share/applications/vlc.desktop"));

    // An entry that can't be read still decides.
    tree.text("usr/share/applications/gimp.desktop", "[Desktop Entry]\nType=Application\nName=GIMP\n");
    tree.dir("usr/local/share/applications/gimp.desktop");
    EXPECT_FALSE(applicationWithId("gimp", l));

    // Subfolders are not searched; odd ids find nothing.
    tree.text("usr/share/applications/kde/okular.desktop",
              "[Desktop Entry]\nType=Application\nName=Okular\n");
    EXPECT_FALSE(applicationWithId("okular", l));
    EXPECT_FALSE(applicationWithId("kde/okular", l));
    EXPECT_FALSE(applicationWithId("..", l));
    EXPECT_FALSE(applicationWithId("", l));
}

} // namespace
} // namespace brisklet
