#include "host/AppScan.h"

#include <gtest/gtest.h>

#include <sstream>

namespace brisklet {
namespace {

using Kind = AppScan::UnitReading::Kind;

TEST(AppUnit, UnescapesOnlyCompleteEscapes) {
    const std::pair<const char*, const char*> rows[] = {
        {"google\\x2dchrome", "google-chrome"}, {"a\\x2Db", "a-b"},       {"caf\\xc3\\xa9", "caf\xc3\xa9"},
        {"trailing\\x2", "trailing\\x2"},       {"bad\\xZZ", "bad\\xZZ"}, {"nul\\x00byte", "nul\\x00byte"},
    };
    for (const auto& [in, out] : rows)
        EXPECT_EQ(AppScan::unescapeUnitName(in), out) << in;
}

TEST(AppUnit, FindsTheSystemdPathOnEveryHierarchy) {
    const std::pair<const char*, std::optional<std::string>> rows[] = {
        {"0::/user.slice/app-x-1.scope\n", "/user.slice/app-x-1.scope"},
        // Hybrid: the unified line only holds the root, the named hierarchy holds the unit.
        {"12:cpu,cpuacct:/user.slice\n1:name=systemd:/user.slice/app-x-1.scope\n0::/\n",
         "/user.slice/app-x-1.scope"},
        {"1:name=systemd:/old\n0::/user.slice/app-y-2.scope\n", "/user.slice/app-y-2.scope"},
        {"4:memory:/x\n1:name=systemd:/app-z-3.scope", "/app-z-3.scope"},
        {"0::/\n", "/"},
        {"garbage\n", std::nullopt},
    };
    for (const auto& [file, path] : rows)
        EXPECT_EQ(AppScan::systemdCgroupPath(file), path) << file;
}

TEST(AppUnit, ReadsAppUnitsAndTheirCandidateIds) {
    using enum Kind;
    const std::string user = "/user.slice/user-1000.slice/user@1000.service/", apps = user + "app.slice/";
    const std::tuple<std::string, Kind, std::vector<std::string>> rows[] = {
        {apps + "app-gnome-org.gnome.Terminal-1234.scope",
         app,
         {"gnome-org.gnome.Terminal", "org.gnome.Terminal"}},
        {apps + "app-org.kde.konsole@abc.service", app, {"org.kde.konsole"}},
        {apps + "app-org.kde.kate.service", app, {"org.kde.kate"}},
        {apps + "app-org.kde.dolphin.scope", app, {"org.kde.dolphin"}},
        {apps + "app-gnome-google\\x2dchrome-99.scope",
         app,
         {"gnome-google-chrome", "google-chrome", "chrome"}},
        // A launcher that does not escape: the random part is still only the last piece.
        {apps + "app-google-chrome-99.scope", app, {"google-chrome", "chrome"}},
        // D-Bus activation: the app is named by the slice around the service.
        {apps + "app-dbus\\x2d:1.2\\x2dorg.gnome.Nautilus.slice/dbus-:1.2-org.gnome.Nautilus@0.service",
         app,
         {"dbus-:1.2-org.gnome.Nautilus", ":1.2-org.gnome.Nautilus", "org.gnome.Nautilus"}},
        {apps + "app-gnome-nm\\x2dapplet@autostart.service", excluded, {}},
        {user + "session.slice/org.gnome.Shell@x11.service", excluded, {}},
        {user + "background.slice/app-gnome-x-1.scope", excluded, {}},
        {"/system.slice/sshd.service", none, {}},
        {"/user.slice/user-1000.slice/session-2.scope", none, {}},
        {"", none, {}},
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
    EXPECT_EQ(AppScan::bundleFolder("", "/home/u"), std::nullopt);
    // The home comes from the caller: another user's ~/.local/bin is only some folder.
    EXPECT_EQ(AppScan::bundleFolder("/home/v/.local/bin/tool", "/home/u"),
              std::filesystem::path("/home/v/.local/bin"));
    EXPECT_EQ(AppScan::bundleFolder("/home/v/.local/bin/tool", "/home/v/"), std::nullopt);
}

TEST(AppUnit, NamesFollowTheLocaleFallbacks) {
    const DesktopEntry entry =
        DesktopEntry::parse("[Desktop Entry]\nName=Files\nName[de]=Dateien\n"
                            "Name[de_AT]=Dateien (AT)\nName[sr@latin]=Datoteke\nName[fr]=\n");
    const std::pair<const char*, const char*> rows[] = {
        {"de_DE.UTF-8", "Dateien"},  {"de_AT.UTF-8", "Dateien (AT)"},
        {"sr_RS@latin", "Datoteke"}, {"sr_RS", "Files"},
        {"fr_FR", "Files"},          {"C", "Files"},
    };
    for (const auto& [locale, name] : rows)
        EXPECT_EQ(AppScan::localizedValue(entry, "Name", locale), name) << locale;
}

} // namespace
} // namespace brisklet
