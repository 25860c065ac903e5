#include "host/AppScan.h"

#include <gtest/gtest.h>

#include <sstream>

namespace brisklet {
namespace {

using Kind = AppScan::UnitReading::Kind;

TEST(AppUnit, ReadsAppUnitsAndTheirCandidateIds) {
    using enum Kind;
    const std::string user = "/user.slice/user-1000.slice/user@1000.service/", apps = user + "app.slice/";
    const std::tuple<std::string, Kind, std::vector<std::string>> rows[] = {
        {apps + "app-org.kde.konsole@abc.service", app, {"org.kde.konsole"}},
        // A launcher that does not escape: the random part is still only the last piece.
        {apps + "app-google-chrome-99.scope", app, {"google-chrome", "chrome"}},
        // D-Bus activation: the app is named by the slice around the service.
        {apps + "app-dbus\\x2d:1.2\\x2dorg.gnome.Nautilus.slice/dbus-:1.2-org.gnome.Nautilus@0.service",
         app,
         {"dbus-:1.2-org.gnome.Nautilus", ":1.2-org.gnome.Nautilus", "org.gnome.Nautilus"}},
        {user + "background.slice/app-gnome-x-1.scope", excluded, {}},
        {apps + "app-.scope", none, {}},
        {apps + "app-x-1.socket", none, {}},
    };
    for (const auto& [path, kind, ids] : rows) {
        const auto reading = AppScan::readAppUnit(path);
        EXPECT_EQ(reading.kind, kind) << path;
        EXPECT_EQ(reading.candidateIds, ids) << path;
    }
}

TEST(AppUnit, TheBundleIsTheProgramsOwnFolderOnly) {
    const std::pair<const char*, const char*> owned[] = {
        {"/opt/google/chrome/chrome", "/opt/google/chrome"},
        {"/usr/lib/firefox/firefox", "/usr/lib/firefox"},
        {"/usr/libexec/evolution/evolution-alarm-notify", "/usr/libexec/evolution"},
        {"/usr/lib/x86_64-linux-gnu/app/app", "/usr/lib/x86_64-linux-gnu/app"},
        {"/home/u/Apps/Tool/tool", "/home/u/Apps/Tool"},
        {"/usr/local/opt/tool", "/usr/local/opt"}, // only /opt itself is shared
    };
    for (const auto& [executable, bundle] : owned)
        EXPECT_EQ(AppScan::bundleFolder(executable, "/home/u"), std::filesystem::path(bundle)) << executable;
    // Folders that unrelated programs share: as a prefix they would claim strangers.
    const std::string shared =
        "/usr/bin/gedit /sbin/init /usr/sbin/cupsd /usr/local/bin/tool "
        "/usr/libexec/gnome-terminal-server /usr/local/libexec/tool /usr/lib/tool "
        "/usr/lib64/tool /lib64/ld-linux-x86-64.so.2 /usr/lib/x86_64-linux-gnu/tool "
        "/lib/aarch64-linux-gnu/tool /usr/local/lib/arm-linux-gnueabihf/tool /opt/tool "
        "/snap/bin/tool /app/bin/app /home/u/.local/bin/tool /usr/libexec/../bin/tool /tool "
        "relative/tool";
    std::istringstream words(shared);
    for (std::string executable; words >> executable;)
        EXPECT_EQ(AppScan::bundleFolder(executable, "/home/u"), std::nullopt) << executable;
    // The home comes from the caller: another user's ~/.local/bin is only some folder.
    EXPECT_EQ(AppScan::bundleFolder("/home/v/.local/bin/tool", "/home/u"),
              std::filesystem::path("/home/v/.local/bin"));
    EXPECT_EQ(AppScan::bundleFolder("/home/v/.local/bin/tool", "/home/v/"), std::nullopt);
}

// The language alone is the running-apps test's; here a country and a modifier.
TEST(AppUnit, NamesFollowTheLocaleFallbacks) {
    const DesktopEntry entry = DesktopEntry::parse(
        "[Desktop Entry]\nName=Files\nName[de]=Dateien\nName[de_AT]=Dateien (AT)\nName[sr@latin]=Datoteke\n");
    EXPECT_EQ(AppScan::localizedValue(entry, "Name", "de_AT.UTF-8"), "Dateien (AT)");
    EXPECT_EQ(AppScan::localizedValue(entry, "Name", "sr_RS@latin"), "Datoteke");
}

} // namespace
} // namespace brisklet
