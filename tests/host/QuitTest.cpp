#include "host/Fakes.h"
#include "host/LiveRunningApps.h"

#include "HostTestSupport.h"
#include "core/ProcessReader.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace brisklet {
namespace {

// Every app here is a process this test started; the proc root is the real one so the signals
// reach them, but only their pids are ever named.
RunningApp appOf(std::vector<pid_t> pids) {
    RunningApp app;
    app.pid = pids.front();
    app.pids = std::move(pids);
    app.desktopId = "test-window";
    return app;
}

Locations fixtureLocations(const test::TempTree& tree) {
    return Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop);
}

TEST(Quit, PoliteQuitTerminatesAnAppWithNoWindowToClose) {
    const struct {
        const char* what;
        std::optional<std::vector<WindowInfo>> windows;
    } rows[] = {
        {"windows unknown", std::nullopt},
        {"no windows", std::vector<WindowInfo>{}},
        {"only other processes' windows", std::vector{WindowInfo{7, 1, 0, 0, 300, 200, false, {}, {}}}},
    };
    test::TempTree tree;
    for (const auto& row : rows) {
        test::TestWindowClient client({"--no-windows"});
        ASSERT_TRUE(client.waitForLine("ready")) << row.what;
        FakeWindowList windows;
        windows.list = row.windows;
        LiveRunningApps apps(fixtureLocations(tree), windows, ::getpid());
        apps.quit(appOf({client.pid()}));
        ASSERT_TRUE(client.waitForExit()) << row.what;
        EXPECT_EQ(client.exitStatus(), QProcess::CrashExit) << row.what; // ended by SIGTERM
        EXPECT_TRUE(windows.closeRequests.empty()) << row.what;
    }
}

TEST(Quit, PoliteQuitClosesWindowsInsteadOfSignalling) {
    test::TempTree tree;
    test::TestWindowClient client({"--no-windows"});
    ASSERT_TRUE(client.waitForLine("ready"));
    FakeWindowList windows;
    windows.list = std::vector{WindowInfo{11, client.pid(), 0, 0, 300, 200, false, {}, {}},
                               WindowInfo{12, 1, 0, 0, 300, 200, false, {}, {}},
                               WindowInfo{13, client.pid(), 0, 0, 20, 20, false, {}, {}}};
    windows.everyWindow = false; // the windows it does see can still be closed
    LiveRunningApps apps(fixtureLocations(tree), windows, ::getpid());
    apps.quit(appOf({client.pid()}));
    EXPECT_EQ(windows.closeRequests, (std::vector<std::uint32_t>{11, 13}));
    // A SIGTERM sent as well would have ended the client before it could answer.
    EXPECT_TRUE(client.answersPing());
}

TEST(Quit, ForceQuitKillsEveryProcessEvenOneIgnoringSigterm) {
    test::TempTree tree;
    test::TestWindowClient main({"--no-windows", "--ignore-term"});
    test::TestWindowClient helper({"--no-windows", "--ignore-term"});
    ASSERT_TRUE(main.waitForLine("ready"));
    ASSERT_TRUE(helper.waitForLine("ready"));
    ASSERT_TRUE(ProcessReader::terminate(main.pid()));
    ASSERT_TRUE(main.waitForLine("term"));
    ASSERT_TRUE(main.isRunning());

    FakeWindowList windows;
    LiveRunningApps apps(fixtureLocations(tree), windows, ::getpid());
    apps.forceQuit(appOf({main.pid(), helper.pid()}));
    ASSERT_TRUE(main.waitForExit());
    ASSERT_TRUE(helper.waitForExit());
    EXPECT_EQ(main.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);
}

} // namespace
} // namespace brisklet
