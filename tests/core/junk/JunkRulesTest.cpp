#include "core/junk/JunkRules.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>

namespace brisklet {
namespace {

using JunkScanner::Candidate;

struct RulesFixture : ::testing::Test {
    test::TempTree tree;
    Locations mac = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::macOS);
    Locations linux = [this] {
        Locations l = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
        l.dataDirs = {tree.path("usr/share")};
        l.crashDir = tree.path("var/crash");
        return l;
    }();

    // The candidates as one line each, each line begun with a newline: "where | name | + when
    // recommended | note | app", paths below the fixture, so a test states a rule's whole answer as
    // the table it is. The rule's order holds, but the entries of one folder are sorted, as a folder
    // lists in no fixed order.
    std::string described(const JunkRules::Candidates& all) const {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const Candidate& c = all[i];
            lines.push_back(c.url.lexically_relative(tree.root()).native() + " | " + c.name + " | " +
                            (c.recommended ? "+" : "-") + (c.note ? " | " + *c.note : "") +
                            (c.appURL ? " | " + c.appURL->lexically_relative(tree.root()).native() : ""));
            std::size_t first = i;
            while (first > 0 && all[first - 1].url.parent_path() == c.url.parent_path())
                --first;
            std::sort(lines.begin() + static_cast<std::ptrdiff_t>(first), lines.end());
        }
        std::string text;
        for (const std::string& line : lines)
            text += "\n" + line;
        return text;
    }
};

TEST_F(RulesFixture, MacCachesAndLogs) {
    tree.build("home/Library/Caches/{Homebrew,FooCache,com.apple.Safari,GeoServices,geoservices,"
               "com.example.Tool.ShipIt,com.example.Tool,.hidden}/");
    EXPECT_EQ(described(JunkRules::appCaches(mac)), R"(
home/Library/Caches/FooCache | FooCache | +
home/Library/Caches/GeoServices | GeoServices | - | macOS system cache · left unchecked to be safe
home/Library/Caches/Homebrew | Homebrew downloads | +
home/Library/Caches/com.apple.Safari | com.apple.Safari | - | macOS system cache · left unchecked to be safe
home/Library/Caches/com.example.Tool | com.example.Tool | +
home/Library/Caches/com.example.Tool.ShipIt | com.example.Tool update leftovers | +
home/Library/Caches/geoservices | geoservices | +)");
    // Every log entry is offered, preselected; the crash report folder reads as such.
    tree.build("home/Library/Logs/{DiagnosticReports/,install.log,.DS_Store}");
    EXPECT_EQ(described(JunkRules::logs(mac)), R"(
home/Library/Logs/DiagnosticReports | Crash reports | +
home/Library/Logs/install.log | install.log | +)");
}

// On Linux, logs are the X server's and the user's own crash reports, never the user's state folder.
TEST_F(RulesFixture, LinuxLogsAreXorgLogsAndTheUsersOwnCrashReports) {
    tree.build(R"(
        home/.local/share/xorg/{Xorg.0.log,.hidden.log}
        home/.local/state/bash/history
        var/crash/{_usr_bin_app.1000.crash,folder/,.lock}
        var/crash/link.crash -> @var/crash/_usr_bin_app.1000.crash)");
    if (::geteuid() == 0) {
        const auto foreign = tree.file("var/crash/_usr_bin_other.0.crash", 10);
        ASSERT_EQ(::lchown(foreign.c_str(), 65534, 65534), 0);
    }
    EXPECT_EQ(described(JunkRules::logs(linux)), R"(
home/.local/share/xorg/Xorg.0.log | Xorg.0.log | +
var/crash/_usr_bin_app.1000.crash | Crash report · _usr_bin_app.1000.crash | +)");
}

// Named after the application that owns them, by its desktop entry before the table; the folders
// the desktop itself rebuilds are left unchecked; our own folder is never offered.
TEST_F(RulesFixture, DesktopCachesAreNamedAfterTheirApplications) {
    tree.build(R"(
        usr/share/applications/vlc.desktop = [Desktop Entry]\nType=Application\nName=VLC media player
        usr/share/applications/chromium.desktop = [Desktop Entry]\nType=Application\nName=Chromium Web
        usr/share/applications/evolution.desktop = [Desktop Entry]\nType=Application\nName=Evolution
        usr/share/applications/hidden-app.desktop = [Desktop Entry]\nType=Application\nName=Hidden\nNoDisplay=true
        home/.cache/{vlc,chromium,mozilla,thumbnails,brisklet,fontconfig,evolution,GeoServices,hidden-app,.git}/
        home/.cache/{ksycoca6_en_abc.kcache,qtshadercache-x86_64}/
        home/.cache/loose-file.bin)");
    EXPECT_EQ(described(JunkRules::appCaches(linux)), R"(
home/.cache/GeoServices | GeoServices | +
home/.cache/chromium | Chromium Web | + | usr/share/applications/chromium.desktop
home/.cache/evolution | Evolution | - | Desktop cache · left unchecked to be safe | usr/share/applications/evolution.desktop
home/.cache/fontconfig | fontconfig | - | Desktop cache · left unchecked to be safe
home/.cache/hidden-app | hidden-app | +
home/.cache/ksycoca6_en_abc.kcache | ksycoca6_en_abc.kcache | - | Desktop cache · left unchecked to be safe
home/.cache/loose-file.bin | loose-file.bin | +
home/.cache/mozilla | Firefox | +
home/.cache/qtshadercache-x86_64 | qtshadercache-x86_64 | - | Desktop cache · left unchecked to be safe
home/.cache/thumbnails | Thumbnails | +
home/.cache/vlc | VLC media player | + | usr/share/applications/vlc.desktop)");
}

TEST_F(RulesFixture, XcodeOffersBuildDataFixedFoldersAndDeviceSymbols) {
    tree.build(R"(
        home/Library/Developer/Xcode/DerivedData/{MyApp-abcdefghijklmnopqrstuvwxyzab,.hidden}/
        home/Library/Developer/CoreSimulator/Caches/
        home/Library/Developer/Xcode/Archives/
        home/Library/Developer/Xcode/iOS DeviceSupport/{17.2 (21C62),17.3 (21D50)}/
        home/Library/Developer/Xcode/watchOS DeviceSupport/10.1/)");
    for (const Locations& l : {mac, linux})
        EXPECT_EQ(described(JunkRules::xcode(l)), R"(
home/Library/Developer/Xcode/DerivedData/MyApp-abcdefghijklmnopqrstuvwxyzab | MyApp | + | Build data · Xcode rebuilds it
home/Library/Developer/CoreSimulator/Caches | Simulator caches | + | Recreated by the Simulator
home/Library/Developer/Xcode/Archives | Xcode Archives | - | Keep if you still need dSYMs for old App Store builds
home/Library/Developer/Xcode/iOS DeviceSupport/17.2 (21C62) | 17.2 (21C62) | - | iOS device symbols · downloaded again when you plug that device in
home/Library/Developer/Xcode/iOS DeviceSupport/17.3 (21D50) | 17.3 (21D50) | - | iOS device symbols · downloaded again when you plug that device in
home/Library/Developer/Xcode/watchOS DeviceSupport/10.1 | 10.1 | - | watchOS device symbols · downloaded again when you plug that device in)");
}

// Metro's leftovers in the temporary folder are offered by name; on Linux, where that folder is
// shared, only the user's own.
TEST_F(RulesFixture, DeveloperCachesAndMetroLeftovers) {
    tree.build(R"(
        home/{.npm/_cacache,.gradle/caches,.cargo/registry/cache,Library/pnpm/store,.local/share/pnpm/store}/
        tmp/{metro-cache,haste-map-abc123,metro,.metro-hidden}/)");
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::lchown(tree.dir("tmp/metro-someone-else").c_str(), 65534, 65534), 0);
    }
    const std::string common = R"(
home/.npm/_cacache | npm cache | +
home/.cargo/registry/cache | Cargo downloads | +
home/.gradle/caches | Gradle caches | - | Re-downloaded on your next Android build)";
    const std::string pnpm = " | pnpm store | - | Shared with projects' node_modules · frees less than shown";
    const std::string metro = R"(
tmp/haste-map-abc123 | Metro bundler cache | + | haste-map-abc123
tmp/metro-cache | Metro bundler cache | + | metro-cache)";
    const std::string foreign = "\ntmp/metro-someone-else | Metro bundler cache | + | metro-someone-else";
    const std::string macExpected =
        common + "\nhome/Library/pnpm/store" + pnpm + metro + (root ? foreign : "");
    const std::string linuxExpected = common + "\nhome/.local/share/pnpm/store" + pnpm + metro;
    EXPECT_EQ(described(JunkRules::devCaches(mac)), macExpected);
    EXPECT_EQ(described(JunkRules::devCaches(linux)), linuxExpected);
}

} // namespace
} // namespace brisklet
