#include "host/AppScan.h"
#include "host/Fakes.h"
#include "host/LiveRunningApps.h"

#include "support/ProcTree.h"

#include <gtest/gtest.h>

namespace brisklet {
namespace {

namespace fs = std::filesystem;

// A whole cgroup file placing a process in a unit of the user's app slice.
std::string inApp(std::string_view unit) {
    return "0::/user.slice/user-1000.slice/user@1000.service/app.slice/" + std::string(unit) + "\n";
}

constexpr const char* kSession = "0::/user.slice/user-1000.slice/user@1000.service/session.slice/";
constexpr const char* kNoUnit = "0::/user.slice/user-1000.slice/session-2.scope\n";

// A fixture session: a /proc tree and the desktop entries of a home and one system data folder.
class Session {
public:
    Session() { locations.dataDirs = {tree.path("usr/share")}; }

    void entry(std::string_view id, std::string_view body) {
        tree.text("usr/share/applications/" + std::string(id) + ".desktop",
                  "[Desktop Entry]\nType=Application\n" + std::string(body));
    }

    // A process as the kernel shows it, with a command name holding a space and a parenthesis, as the
    // kernel allows; `cgroup` is the whole cgroup file.
    void process(pid_t pid, pid_t parent, std::uint64_t start, std::string cgroup, std::string exe = {}) {
        proc.add({pid, parent, "a (b) c", 0, std::move(exe), {}, {}, std::move(cgroup), start});
    }

    std::vector<RunningApp> scan(std::optional<std::vector<WindowInfo>> windows = std::vector<WindowInfo>{},
                                 pid_t ownPid = 999, std::string locale = {}) const {
        return AppScan::runningApps(
            {tree.path("proc"), locations, ownPid, std::move(locale), std::move(windows)});
    }

    test::TempTree tree;
    test::ProcTree proc{tree};
    Locations locations = Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
};

// One line per app, in the order listed: its entry, its main process, then every process.
std::vector<std::string> listed(const std::vector<RunningApp>& apps) {
    std::vector<std::string> lines;
    for (const auto& app : apps) {
        lines.push_back(app.desktopId + " " + std::to_string(app.pid) + ":");
        for (const pid_t pid : app.pids)
            lines.back() += " " + std::to_string(pid);
    }
    return lines;
}

WindowInfo window(std::uint32_t id, pid_t pid, int width = 300, int height = 200, bool hidden = false) {
    return WindowInfo{id, pid, 0, 0, width, height, hidden, {}, {}};
}

// Launches of one app are one app, whose main process is the oldest. Started as our own app, the
// scope is ours, whatever else runs in it; run inside another app, we leave out only ourselves.
TEST(RunningApps, LaunchesOfOneAppAreOneAppAndOursIsNoneButTheOneWeRunInsideIsListed) {
    Session s;
    s.entry("org.gnome.Terminal", "Name=Terminal\nName[de]=Terminal (de)\nIcon=utilities-terminal\n");
    s.entry("brisklet", "Name=brisklet\n");
    // The server started first but has the higher pid: age, not the number, makes it the main one.
    const std::string server = "/usr/libexec/gnome-terminal-server";
    const std::string terminal = inApp("app-gnome-org.gnome.Terminal-1234.scope");
    s.process(300, 1, 500, terminal, server);
    s.process(120, 300, 900, terminal, "/usr/bin/bash");
    s.process(320, 120, 950, terminal, "/usr/bin/brisklet"); // a copy of us run from the shell
    s.process(330, 320, 960, terminal, "/usr/bin/helper");   // something that copy started
    s.process(130, 1, 700, inApp("app-gnome-org.gnome.Terminal-99.scope"), server);
    s.process(50, 1, 200, inApp("app-gnome-brisklet-3.scope"), "/usr/bin/brisklet");
    s.process(51, 50, 210, inApp("app-gnome-brisklet-3.scope"), "/usr/bin/helper");
    const auto apps = s.scan({}, 50, "de_DE.UTF-8");
    ASSERT_EQ(listed(apps), std::vector<std::string>{"org.gnome.Terminal 300: 120 130 300 320 330"});
    EXPECT_EQ(apps[0].name, "Terminal (de)");
    EXPECT_EQ(apps[0].iconName, "utilities-terminal");
    EXPECT_EQ(apps[0].executable, fs::path(server));
    EXPECT_EQ(apps[0].bundle, std::nullopt); // /usr/libexec is every system service's folder
    EXPECT_EQ(listed(s.scan({}, 320)),
              (std::vector<std::string>{"brisklet 50: 50 51", "org.gnome.Terminal 300: 120 130 300 330"}));
}

// Only shown apps outside session services count; launcher tokens, escapes and the named hierarchy
// of cgroup v1 lead to entries; Flatpak sandboxes are found without a unit, other programs by their
// windows; processes that vanish or make no sense are left out. Apps come in launch order.
TEST(RunningApps, EachWayOfFindingTheEntryListsOnlyShownAppsInLaunchOrder) {
    Session s;
    for (const char* id : {"shown", "google-chrome", "org.mozilla.firefox", "org.gimp.GIMP"})
        s.entry(id, "Name=" + std::string(id) + "\n");
    s.entry("nodisplay", "Name=Settings daemon\nNoDisplay=true\n");
    s.entry("nameless", "Icon=x\n");
    s.entry("nm-applet", "Name=Network\n");
    s.entry("org.gnome.Shell", "Name=Shell\n");
    s.process(10, 1, 10, inApp("app-gnome-shown-1.scope"));
    s.process(11, 1, 11, inApp("app-gnome-nodisplay-2.scope"));
    s.process(12, 1, 12, inApp("app-gnome-nameless-3.scope"));
    s.process(13, 1, 13, inApp("app-gnome-nm\\x2dapplet@autostart.service"));
    s.process(14, 1, 14, std::string(kSession) + "app-gnome-org.gnome.Shell-4.scope\n");
    s.process(15, 1, 15, inApp("app-gnome-unknown-5.scope"));
    s.process(16, 1, 16, "0::/system.slice/shown.service\n");
    s.process(20, 1, 3000, inApp("app-gnome-google\\x2dchrome-77.scope"));
    s.process(21, 1, 1000, inApp("app-flatpak-org.mozilla.firefox-5678.scope"));
    s.process(
        24, 20, 5000,
        "11:memory:/user.slice\n1:name=systemd:/user.slice/app-gnome-google\\x2dchrome-77.scope\n0::/\n");
    s.process(70, 1, 70, kNoUnit, "/app/bin/gimp-2.10");
    s.tree.text("proc/70/root/.flatpak-info",
                "[Instance]\nname=wrong\n[Application]\nname = org.gimp.GIMP\n");
    // A sandboxed session service stays a session service.
    s.process(71, 1, 71, std::string(kSession) + "portal.service\n");
    s.tree.text("proc/71/root/.flatpak-info", "[Application]\nname=org.gimp.GIMP\n");
    // Gone between listing and reading: a folder with nothing left in it; exited after its stat was read.
    s.tree.dir("proc/61");
    s.tree.text("proc/62/stat", "62 (x) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 62 0 0\n");
    s.tree.text("proc/63/stat", "63 (truncated");
    s.tree.text("proc/63/cgroup", inApp("app-shown-1.scope"));
    s.tree.text("proc/self/stat", "not a process");
    s.tree.text("proc/meminfo", "MemTotal: 1 kB\n");
    // Window owners outside units match by class or program, and their children come along.
    s.entry("byclass", "Name=By class\nStartupWMClass=Gvim\nExec=/nowhere %F\n");
    s.entry("byexec", "Name=By exec\nExec=env LANG=C \"/opt/My App/app\" %U\n");
    s.entry("hidden", "Name=Hidden\nNoDisplay=true\nExec=/opt/hidden/hidden\n");
    s.process(80, 1, 80, kNoUnit, "/usr/bin/vim.gtk3");
    s.process(81, 80, 81, kNoUnit, "/usr/bin/sh");
    s.process(82, 81, 82, kNoUnit, "/usr/bin/brisklet"); // we were started from that app
    s.process(90, 1, 90, kNoUnit, "/opt/My App/app");
    s.process(95, 1, 95, kNoUnit, "/opt/hidden/hidden");
    s.process(96, 1, 96, kNoUnit, "/opt/stranger/stranger");
    const std::vector windows{WindowInfo{1, 80, 0, 0, 300, 200, false, "gvim", "GVIM"}, window(2, 90),
                              window(3, 95), window(4, 96), window(5, 4242)};
    const std::vector<std::string> byUnit = {"shown 10: 10", "org.gimp.GIMP 70: 70",
                                             "org.mozilla.firefox 21: 21", "google-chrome 20: 20 24"};
    // Without a window list there is nobody to match.
    const auto apps = s.scan(std::nullopt, 82);
    ASSERT_EQ(listed(apps), byUnit);
    EXPECT_EQ(apps[0].executable, std::nullopt);
    EXPECT_EQ(apps[0].bundle, std::nullopt);
    EXPECT_EQ(apps[1].bundle, std::nullopt); // every sandbox has its own /app/bin
    const auto all = s.scan(windows, 82);
    ASSERT_EQ(listed(all), (std::vector<std::string>{
                               "shown 10: 10", "org.gimp.GIMP 70: 70", "byclass 80: 80 81", "byexec 90: 90",
                               "org.mozilla.firefox 21: 21", "google-chrome 20: 20 24"}));
    EXPECT_EQ(all[3].bundle, fs::path("/opt/My App"));
}

TEST(RunningApps, WindowsDecideHasWindowsAndHidden) {
    Session s;
    s.entry("app", "Name=App\n");
    s.process(100, 1, 100, inApp("app-app-1.scope"));
    s.process(101, 100, 101, inApp("app-app-1.scope"));
    const std::tuple<const char*, std::optional<std::vector<WindowInfo>>, bool, bool> rows[] = {
        {"unknown on Wayland", std::nullopt, true, false},
        {"a helper's window counts", std::vector{window(1, 101)}, true, false},
        {"80 wide is too small", std::vector{window(1, 100, 80, 500)}, false, false},
        {"80 high is too small", std::vector{window(1, 100, 500, 80)}, false, false},
        {"81 by 81 counts", std::vector{window(1, 100, 81, 81)}, true, false},
        {"someone else's", std::vector{window(1, 555)}, false, false},
        {"all minimised", std::vector{window(1, 100, 300, 200, true), window(2, 101, 300, 200, true)}, true,
         true},
        {"one of two minimised", std::vector{window(1, 100, 300, 200, true), window(2, 100)}, true, false},
        {"a small shown one does not stop it being hidden",
         std::vector{window(1, 100, 300, 200, true), window(2, 100, 20, 20)}, true, true},
    };
    for (const auto& [what, windows, hasWindows, isHidden] : rows) {
        const auto apps = s.scan(windows);
        ASSERT_EQ(apps.size(), 1u) << what;
        EXPECT_EQ(apps[0].hasWindows, hasWindows) << what;
        EXPECT_EQ(apps[0].isHidden, isHidden) << what;
    }
    // A window list that lists nothing under XWayland proves nothing: windows are unknown.
    FakeWindowList partial;
    partial.everyWindow = false;
    const auto live = LiveRunningApps(s.locations, partial, 999, s.tree.path("proc"), "").list();
    ASSERT_EQ(live.size(), 1u);
    EXPECT_TRUE(live[0].hasWindows);
}

} // namespace
} // namespace brisklet
