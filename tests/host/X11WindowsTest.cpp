#include "host/X11Windows.h"

#include "HostTestSupport.h"
#include "host/LiveRunningApps.h"
#include "support/TempTree.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>

namespace brisklet {
namespace {

std::vector<WindowInfo> ownedBy(const std::vector<WindowInfo>& windows, pid_t pid) {
    std::vector<WindowInfo> result;
    std::copy_if(windows.begin(), windows.end(), std::back_inserter(result),
                 [pid](const WindowInfo& w) { return w.pid == pid; });
    return result;
}

TEST(X11Windows, UnknownWithoutAnXServer) {
    X11Windows none(nullptr);
    EXPECT_EQ(none.windows(), std::nullopt);
    EXPECT_FALSE(none.close(42));
    const auto unreachable = X11Windows::connect("not a display");
    EXPECT_EQ(unreachable->windows(), std::nullopt);
    EXPECT_FALSE(unreachable->close(42));
    // A Qt program on a platform without X11 (offscreen here, Wayland in a session).
    test::ensureGuiApplication();
    if (QGuiApplication::platformName() != "xcb") {
        EXPECT_EQ(X11Windows::forQt()->windows(), std::nullopt);
    }
}

class X11Session : public testing::Test {
protected:
    void SetUp() override {
        if (!xvfb.running())
            GTEST_SKIP() << "No X server could be started (is Xvfb installed?); the X11 "
                            "window tests did not run.";
        windows = X11Windows::connect(xvfb.display());
    }

    test::Xvfb xvfb;
    std::unique_ptr<X11Windows> windows;
};

TEST_F(X11Session, ListsNormalWindowsWithOwnerAndGeometryWithoutAWindowManager) {
    ASSERT_TRUE(windows->windows()) << "an X server answers, even an empty one";
    test::TestWindowClient client({}, xvfb.display());
    ASSERT_TRUE(client.waitForLine("ready"));

    const auto all = windows->windows();
    ASSERT_TRUE(all);
    const auto mine = ownedBy(*all, client.pid());
    // The 50 × 50 tool window is no normal window and is not listed at all.
    ASSERT_EQ(mine.size(), 1u);
    EXPECT_EQ(mine[0].width, 300);
    EXPECT_EQ(mine[0].height, 200);
    EXPECT_EQ(mine[0].x, 40);
    EXPECT_EQ(mine[0].y, 30);
    EXPECT_FALSE(mine[0].isHidden);
    EXPECT_FALSE(mine[0].wmClass.empty());
    EXPECT_TRUE(countsAsOpenWindow(mine[0]));
}

TEST_F(X11Session, PoliteQuitAsksTheWindowToCloseAndTheAppEnds) {
    test::TestWindowClient client({}, xvfb.display());
    ASSERT_TRUE(client.waitForLine("ready"));
    test::TempTree tree;
    LiveRunningApps apps(Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop),
                         *windows, ::getpid());
    RunningApp app;
    app.pid = client.pid();
    app.pids = {client.pid()};
    apps.quit(app);
    // The client itself ends on its close event; SIGTERM would have ended it as a crash.
    ASSERT_TRUE(client.waitForLine("closed"));
    ASSERT_TRUE(client.waitForExit());
    EXPECT_EQ(client.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(client.exitCode(), 0);
}

} // namespace
} // namespace brisklet
