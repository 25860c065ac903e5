#include "host/X11Windows.h"

#include "HostTestSupport.h"
#include "host/LiveRunningApps.h"
#include "support/TempTree.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>

namespace brisklet {
namespace {

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
        if (!xvfb.running()) GTEST_SKIP() << "No X server could be started (is Xvfb installed?)";
        windows = X11Windows::connect(xvfb.display());
        ASSERT_TRUE(windows->windows()) << "an X server answers, even an empty one";
        client.emplace(QStringList{}, xvfb.display());
        ASSERT_TRUE(client->waitForLine("ready"));
    }

    test::Xvfb xvfb;
    std::unique_ptr<X11Windows> windows;
    std::optional<test::TestWindowClient> client; // only once our own X server runs
};

TEST_F(X11Session, ListsNormalWindowsWithOwnerAndGeometryWithoutAWindowManager) {
    std::vector<WindowInfo> mine;
    for (const WindowInfo& w : windows->windows().value_or(std::vector<WindowInfo>{}))
        if (w.pid == client->pid()) mine.push_back(w);
    // The 50 × 50 tool window is no normal window and is not listed at all.
    ASSERT_EQ(mine.size(), 1u);
    EXPECT_EQ((std::array{mine[0].x, mine[0].y, mine[0].width, mine[0].height}),
              (std::array{40, 30, 300, 200}));
    EXPECT_FALSE(mine[0].isHidden);
    EXPECT_FALSE(mine[0].wmClass.empty());
    EXPECT_TRUE(countsAsOpenWindow(mine[0]));
}

TEST_F(X11Session, PoliteQuitAsksTheWindowToCloseAndTheAppEnds) {
    test::TempTree tree;
    LiveRunningApps apps(Locations::forHome(tree.path("home"), tree.path("tmp"), JunkLayout::freedesktop),
                         *windows, ::getpid());
    RunningApp app;
    app.pid = client->pid();
    app.pids = {client->pid()};
    apps.quit(app);
    // The client itself ends on its close event; SIGTERM would have ended it as a crash.
    ASSERT_TRUE(client->waitForLine("closed"));
    ASSERT_TRUE(client->waitForExit());
    EXPECT_EQ(client->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(client->exitCode(), 0);
}

} // namespace
} // namespace brisklet
