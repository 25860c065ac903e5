#include "host/Fakes.h"
#include "host/LiveRunningApps.h"

#include "HostTestSupport.h"
#include "core/proc/ProcessReader.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace brisklet {
namespace {

// Every app here is a process this test started; the proc root is the real one so the signals
// reach them, but only their pids are ever named.
RunningApp appOf(std::vector<pid_t> pids) {
    return RunningApp{pids.front(), pids, "test-window", "", "", {}, {}};
}

struct QuitTest : ::testing::Test {
    test::TempTree tree;
    FakeWindowList windows;
    LiveRunningApps apps{Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop),
                         windows, ::getpid()};
};

// With no window of its own to close the app is sent SIGTERM; with windows, they are closed instead.
TEST_F(QuitTest, PoliteQuitClosesTheAppsWindowsOrElseTerminatesIt) {
    for (const auto& list : {std::optional<std::vector<WindowInfo>>{},
                             std::optional{std::vector{WindowInfo{7, 1, 0, 0, 300, 200, false, {}, {}}}}}) {
        test::TestWindowClient client({"--no-windows"});
        ASSERT_TRUE(client.waitForLine("ready"));
        windows.list = list;
        apps.quit(appOf({client.pid()}));
        ASSERT_TRUE(client.waitForExit()) << list.has_value();
        EXPECT_EQ(client.exitStatus(), QProcess::CrashExit); // ended by SIGTERM
        EXPECT_TRUE(windows.closeRequests.empty());
    }
    test::TestWindowClient client({"--no-windows"});
    ASSERT_TRUE(client.waitForLine("ready"));
    windows.list = std::vector{WindowInfo{11, client.pid(), 0, 0, 300, 200, false, {}, {}},
                               WindowInfo{12, 1, 0, 0, 300, 200, false, {}, {}},
                               WindowInfo{13, client.pid(), 0, 0, 20, 20, false, {}, {}}};
    windows.everyWindow = false; // the windows it does see can still be closed
    apps.quit(appOf({client.pid()}));
    EXPECT_EQ(windows.closeRequests, (std::vector<std::uint32_t>{11, 13}));
    // A SIGTERM sent as well would have ended the client before it could answer.
    EXPECT_TRUE(client.answersPing());
}

TEST_F(QuitTest, ForceQuitKillsEveryProcessEvenOneIgnoringSigterm) {
    test::TestWindowClient main({"--no-windows", "--ignore-term"});
    test::TestWindowClient helper({"--no-windows", "--ignore-term"});
    ASSERT_TRUE(main.waitForLine("ready"));
    ASSERT_TRUE(helper.waitForLine("ready"));
    ASSERT_TRUE(ProcessReader::terminate(main.pid()));
    ASSERT_TRUE(main.waitForLine("term"));
    ASSERT_TRUE(main.isRunning());
    apps.forceQuit(appOf({main.pid(), helper.pid()}));
    for (test::TestProcess* client : {&main, &helper}) {
        ASSERT_TRUE(client->waitForExit());
        EXPECT_EQ(client->exitStatus(), QProcess::CrashExit);
    }
}

} // namespace
} // namespace brisklet
