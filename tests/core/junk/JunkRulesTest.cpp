#include "core/junk/JunkRules.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using JunkScanner::Candidate;

const std::string kMacNote = "macOS system cache · left unchecked to be safe";
const std::string kDesktopNote = "Desktop cache · left unchecked to be safe";

struct RulesFixture : ::testing::Test {
    test::TempTree tree;
    Locations mac = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::macOS);
    Locations linux = [this] {
        Locations l = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
        l.dataDirs = {tree.path("usr/share")};
        l.crashDir = tree.path("var/crash");
        return l;
    }();

    // Candidates by their file name, so tests don't depend on the listing order.
    static const Candidate& find(const JunkRules::Candidates& all, std::string_view fileName) {
        const auto it = std::find_if(all.begin(), all.end(),
                                     [&](const Candidate& c) { return c.url.filename() == fileName; });
        if (it == all.end()) throw std::runtime_error("no candidate " + std::string(fileName));
        return *it;
    }
    static bool has(const JunkRules::Candidates& all, std::string_view fileName) {
        return std::any_of(all.begin(), all.end(),
                           [&](const Candidate& c) { return c.url.filename() == fileName; });
    }
};

TEST_F(RulesFixture, MacCachesAndLogs) {
    tree.build("home/Library/Caches/{Homebrew,FooCache,com.apple.Safari,GeoServices,geoservices,"
               "com.example.Tool.ShipIt,com.example.Tool,.hidden}/");
    const auto all = JunkRules::appCaches(mac);
    EXPECT_EQ(all.size(), 7u);
    EXPECT_FALSE(has(all, ".hidden"));
    EXPECT_EQ(find(all, "Homebrew"), (Candidate{tree.path("home/Library/Caches/Homebrew"),
                                                "Homebrew downloads", true, std::nullopt, std::nullopt}));
    EXPECT_EQ(find(all, "FooCache").name, "FooCache");
    EXPECT_TRUE(find(all, "FooCache").recommended);
    EXPECT_FALSE(find(all, "com.apple.Safari").recommended);
    EXPECT_EQ(find(all, "com.apple.Safari").note, kMacNote);
    EXPECT_FALSE(find(all, "GeoServices").recommended);
    EXPECT_EQ(find(all, "GeoServices").note, kMacNote);
    EXPECT_TRUE(find(all, "geoservices").recommended);
    const Candidate& shipIt = find(all, "com.example.Tool.ShipIt");
    EXPECT_EQ(shipIt.name, "com.example.Tool update leftovers");
    EXPECT_TRUE(shipIt.recommended);
    EXPECT_EQ(shipIt.appURL, std::nullopt);

    // Every log entry is offered, preselected; the crash report folder reads as such.
    tree.build("home/Library/Logs/{DiagnosticReports/,install.log,.DS_Store}");
    const auto logs = JunkRules::logs(mac);
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(find(logs, "DiagnosticReports").name, "Crash reports");
    EXPECT_EQ(find(logs, "install.log").name, "install.log");
    EXPECT_TRUE(
        std::all_of(logs.begin(), logs.end(), [](const Candidate& c) { return c.recommended && !c.note; }));
}

TEST_F(RulesFixture, DesktopCachesAreNamedAfterTheirApplications) {
    tree.build(R"(
        usr/share/applications/vlc.desktop = [Desktop Entry]\nType=Application\nName=VLC media player
        usr/share/applications/chromium.desktop = [Desktop Entry]\nType=Application\nName=Chromium Web
        usr/share/applications/evolution.desktop = [Desktop Entry]\nType=Application\nName=Evolution
        usr/share/applications/hidden-app.desktop = [Desktop Entry]\nType=Application\nName=Hidden\nNoDisplay=true
        home/.cache/{vlc,chromium,mozilla,thumbnails,brisklet,fontconfig,evolution,GeoServices,hidden-app,.git}/
        home/.cache/{ksycoca6_en_abc.kcache,qtshadercache-x86_64}/
        home/.cache/loose-file.bin)");

    const auto all = JunkRules::appCaches(linux);
    EXPECT_EQ(all.size(), 11u); // everything but our own folder and the hidden one
    EXPECT_FALSE(has(all, "brisklet"));
    EXPECT_FALSE(has(all, ".git"));

    const Candidate& vlc = find(all, "vlc");
    EXPECT_EQ(vlc.name, "VLC media player");
    EXPECT_EQ(vlc.appURL, tree.path("usr/share/applications/vlc.desktop"));
    EXPECT_TRUE(vlc.recommended);
    EXPECT_EQ(find(all, "chromium").name, "Chromium Web"); // the application beats the table
    EXPECT_EQ(find(all, "mozilla").name, "Firefox");
    EXPECT_EQ(find(all, "mozilla").appURL, std::nullopt);
    EXPECT_EQ(find(all, "thumbnails").name, "Thumbnails");
    EXPECT_EQ(find(all, "hidden-app").name, "hidden-app");
    EXPECT_EQ(find(all, "hidden-app").appURL, std::nullopt);
    EXPECT_EQ(find(all, "loose-file.bin").name, "loose-file.bin");

    for (const char* desktop :
         {"fontconfig", "evolution", "ksycoca6_en_abc.kcache", "qtshadercache-x86_64"}) {
        EXPECT_FALSE(find(all, desktop).recommended) << desktop;
        EXPECT_EQ(find(all, desktop).note, kDesktopNote) << desktop;
    }
    EXPECT_EQ(find(all, "evolution").name, "Evolution");
    // Names the Mac treats as its own are ordinary caches here.
    EXPECT_TRUE(find(all, "GeoServices").recommended);
    EXPECT_EQ(find(all, "GeoServices").note, std::nullopt);
}

TEST_F(RulesFixture, LinuxLogsAreXorgLogsAndTheUsersOwnCrashReports) {
    // The user's state folder (a shell history) is never offered.
    tree.build(R"(
        home/.local/share/xorg/{Xorg.0.log,.hidden.log}
        home/.local/state/bash/history
        var/crash/{_usr_bin_app.1000.crash,folder/,.lock}
        var/crash/link.crash -> @var/crash/_usr_bin_app.1000.crash)");
    if (::geteuid() == 0) {
        const auto foreign = tree.file("var/crash/_usr_bin_other.0.crash", 10);
        ASSERT_EQ(::lchown(foreign.c_str(), 65534, 65534), 0);
    }

    const auto all = JunkRules::logs(linux);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], (Candidate{tree.path("home/.local/share/xorg/Xorg.0.log"), "Xorg.0.log", true,
                                 std::nullopt, std::nullopt}));
    EXPECT_EQ(all[1],
              (Candidate{tree.path("var/crash/_usr_bin_app.1000.crash"),
                         "Crash report · _usr_bin_app.1000.crash", true, std::nullopt, std::nullopt}));
}

TEST(DerivedDataName, StripsOnlyALongAllLetterHash) {
    const struct {
        const char* folder;
        const char* shown;
    } rows[] = {
        {"MyApp-abcdefghijklmnopqrstuvwxyzab", "MyApp"},
        {"My-Tool-abcdefghijklmnopqrstuvwxyzab", "My-Tool"},
        {"MyApp-abc", "MyApp-abc"},
        {"MyApp-abcdefghijklmnopqrs", "MyApp-abcdefghijklmnopqrs"}, // 19 letters
        {"MyApp-abcdefghijklmnopqrst", "MyApp"},                    // 20 letters
        {"MyApp-abcdefghijklmnopqrstuvwxyz1b", "MyApp-abcdefghijklmnopqrstuvwxyz1b"},
        {"MyApp", "MyApp"},
        {"MyApp-", "MyApp-"},
        {"Äpp-ääääääääääääääääääää", "Äpp"}, // twenty non-ASCII letters are letters too
    };
    for (const auto& row : rows)
        EXPECT_EQ(JunkRules::derivedDataName(row.folder), row.shown) << row.folder;
}

TEST_F(RulesFixture, XcodeOffersBuildDataFixedFoldersAndDeviceSymbols) {
    tree.build(R"(
        home/Library/Developer/Xcode/DerivedData/{MyApp-abcdefghijklmnopqrstuvwxyzab,.hidden}/
        home/Library/Developer/CoreSimulator/Caches/
        home/Library/Developer/Xcode/Archives/
        home/Library/Developer/Xcode/iOS DeviceSupport/{17.2 (21C62),17.3 (21D50)}/
        home/Library/Developer/Xcode/watchOS DeviceSupport/10.1/)");

    for (const Locations& l : {mac, linux}) {
        const auto all = JunkRules::xcode(l);
        ASSERT_EQ(all.size(), 6u);
        EXPECT_EQ(all[0].name, "MyApp");
        EXPECT_EQ(all[0].note, "Build data · Xcode rebuilds it");
        EXPECT_TRUE(all[0].recommended);
        EXPECT_EQ(all[1], (Candidate{tree.path("home/Library/Developer/CoreSimulator/Caches"),
                                     "Simulator caches", true, "Recreated by the Simulator", std::nullopt}));
        EXPECT_EQ(all[2].name, "Xcode Archives");
        EXPECT_FALSE(all[2].recommended);
        EXPECT_EQ(all[2].note, "Keep if you still need dSYMs for old App Store builds");
        const Candidate& ios = find(all, "17.2 (21C62)");
        EXPECT_FALSE(ios.recommended);
        EXPECT_EQ(ios.note, "iOS device symbols · downloaded again when you plug that device in");
        EXPECT_EQ(all[5].note, "watchOS device symbols · downloaded again when you plug that device in");
    }
}

TEST_F(RulesFixture, DeveloperCachesAndMetroLeftovers) {
    tree.build(R"(
        home/{.npm/_cacache,.gradle/caches,.cargo/registry/cache,Library/pnpm/store,.local/share/pnpm/store}/
        tmp/{metro-cache,haste-map-abc123,metro,.metro-hidden}/)");

    const auto macAll = JunkRules::devCaches(mac);
    ASSERT_EQ(macAll.size(), 6u);
    EXPECT_EQ(macAll[0].name, "npm cache");
    EXPECT_EQ(macAll[1].name, "Cargo downloads");
    EXPECT_EQ(macAll[2], (Candidate{tree.path("home/.gradle/caches"), "Gradle caches", false,
                                    "Re-downloaded on your next Android build", std::nullopt}));
    EXPECT_EQ(macAll[3],
              (Candidate{tree.path("home/Library/pnpm/store"), "pnpm store", false,
                         "Shared with projects' node_modules · frees less than shown", std::nullopt}));
    EXPECT_EQ(find(macAll, "haste-map-abc123"),
              (Candidate{tree.path("tmp/haste-map-abc123"), "Metro bundler cache", true, "haste-map-abc123",
                         std::nullopt}));
    EXPECT_FALSE(has(macAll, "metro"));
    EXPECT_FALSE(has(macAll, ".metro-hidden"));

    const auto linuxAll = JunkRules::devCaches(linux);
    EXPECT_EQ(linuxAll[3].url, tree.path("home/.local/share/pnpm/store"));
    EXPECT_TRUE(has(linuxAll, "metro-cache"));
}

TEST_F(RulesFixture, OnLinuxOnlyTheUsersOwnMetroLeftoversAreOffered) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
    const auto foreign = tree.dir("tmp/metro-someone-else");
    ASSERT_EQ(::lchown(foreign.c_str(), 65534, 65534), 0);
    tree.dir("tmp/metro-mine");
    EXPECT_FALSE(has(JunkRules::devCaches(linux), "metro-someone-else"));
    EXPECT_TRUE(has(JunkRules::devCaches(linux), "metro-mine"));
    EXPECT_TRUE(has(JunkRules::devCaches(mac), "metro-someone-else"));
}

TEST_F(RulesFixture, MissingFoldersOfferNothing) {
    for (const Locations& l : {mac, linux}) {
        EXPECT_TRUE(JunkRules::appCaches(l).empty());
        EXPECT_TRUE(JunkRules::logs(l).empty());
        EXPECT_TRUE(JunkRules::xcode(l).empty());
        EXPECT_TRUE(JunkRules::devCaches(l).empty());
    }
}

} // namespace
} // namespace brisklet
