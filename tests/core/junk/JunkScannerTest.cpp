#include "core/junk/JunkScanner.h"

#include "support/FiveAtOnce.h"
#include "support/TempTree.h"

#include <QThreadPool>

#include <gtest/gtest.h>

#include <string>

namespace brisklet {
namespace {

std::vector<std::string> namesOf(const std::vector<JunkItem>& items) {
    std::vector<std::string> names;
    for (const auto& i : items)
        names.push_back(i.name);
    return names;
}

TEST(JunkScanner, EachKindScansItsOwnRule) {
    test::TempTree tree;
    Locations l = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
    l.crashDir = tree.path("var/crash");
    l.dataDirs = {tree.path("usr/share")};
    // A missing category scans as empty, of its own kind, in either layout.
    for (const Locations& layout : {l, Locations::forHome(l.home, l.tempDir, JunkLayout::macOS)}) {
        for (const JunkKind kind : allJunkKinds) {
            const JunkCategory category = JunkScanner::scan(kind, layout);
            EXPECT_EQ(category.kind, kind);
            EXPECT_TRUE(category.items.empty());
        }
    }
    tree.build(R"(
        home/.cache/pip/http/a 200000
        home/.cache/fontconfig/b 300000
        home/.cache/vlc/c 150000
        usr/share/applications/vlc.desktop = [Desktop Entry]\nType=Application\nName=VLC
        home/.cache/tiny/c 100
        home/.local/share/xorg/Xorg.0.log 80000
        home/Library/Developer/Xcode/DerivedData/App-abcdefghijklmnopqrstuvwx/x 90000
        home/.npm/_cacache/index 120000)");

    // Each item measured on disk, with everything its rule said of it.
    const JunkCategory caches = JunkScanner::scan(JunkKind::appCaches, l);
    const auto allocated = [&](const char* file) { return test::TempTree::allocated(tree.path(file)); };
    EXPECT_EQ(namesOf(caches.items), (std::vector<std::string>{"fontconfig", "pip cache", "VLC"}));
    EXPECT_EQ(caches.items[0], (JunkItem{tree.path("home/.cache/fontconfig"), "fontconfig",
                                         allocated("home/.cache/fontconfig/b"), false,
                                         "Desktop cache · left unchecked to be safe", std::nullopt}));
    EXPECT_EQ(caches.items[2],
              (JunkItem{tree.path("home/.cache/vlc"), "VLC", allocated("home/.cache/vlc/c"), true,
                        std::nullopt, tree.path("usr/share/applications/vlc.desktop")}));
    EXPECT_EQ(caches.size(), caches.items[0].size + caches.items[1].size + caches.items[2].size);
    EXPECT_EQ(namesOf(JunkScanner::scan(JunkKind::logs, l).items), (std::vector<std::string>{"Xorg.0.log"}));
    EXPECT_EQ(namesOf(JunkScanner::scan(JunkKind::xcode, l).items), (std::vector<std::string>{"App"}));
    EXPECT_EQ(namesOf(JunkScanner::scan(JunkKind::devCaches, l).items),
              (std::vector<std::string>{"npm cache"}));
}

// Five scans on a two-thread pool, each fanning its measuring out: the fan-out must never wait
// on the pool that runs the scans, or this hangs for ever.
TEST(JunkScanner, FiveScansAtOnceFinish) {
    test::TempTree tree;
    const Locations l = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
    for (int i = 0; i < 40; ++i)
        tree.file("home/.local/share/Trash/files/item" + std::to_string(i) + "/data", 60'000);

    QThreadPool scans;
    for (const JunkCategory& category :
         test::fiveAtOnce(scans, [l] { return JunkScanner::scan(JunkKind::trash, l); }))
        EXPECT_EQ(category.items.size(), 40u);
}

} // namespace
} // namespace brisklet
