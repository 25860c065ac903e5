#include "host/X11Windows.h"

#include "HostTestSupport.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <poll.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace brisklet {
namespace {

// Plays the window manager's part on the test's own X server: publishes the EWMH root
// properties a manager keeps and takes the redirect only a manager may hold, so the requests
// meant for the manager arrive here.
struct PretendWindowManager {
    explicit PretendWindowManager(const std::string& display) : c(xcb_connect(display.c_str(), nullptr)) {
        if (xcb_connection_has_error(c) != 0) return;
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, check, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        // Checked, so that the redirect is in force (or known to be refused) before anyone asks.
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
        xcb_generic_error_t* error =
            xcb_request_check(c, xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask));
        redirected = !error;
        std::free(error);
    }
    ~PretendWindowManager() { xcb_disconnect(c); }

    bool ok() const { return redirected && xcb_connection_has_error(c) == 0; }

    xcb_atom_t atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return atom;
    }

    // The server keeps the order of requests only within one connection, and the test reads what
    // was set here through another one: only a reply proves the server has carried out the change.
    void set(xcb_window_t window, const char* name, xcb_atom_t type, std::vector<std::uint32_t> values) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom(name), type, 32,
                            static_cast<std::uint32_t>(values.size()), values.data());
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }

    // Waits (bounded) for a client message of `type` about `window` sent to the root.
    bool receives(xcb_atom_t type, xcb_window_t window) {
        for (int round = 0; round < 600; ++round) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
                const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                const bool match = (event->response_type & 0x7f) == XCB_CLIENT_MESSAGE &&
                                   message->type == type && message->window == window;
                std::free(event);
                if (match) return true;
            }
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            ::poll(&fd, 1, 100);
        }
        return false;
    }

    xcb_connection_t* c;
    xcb_window_t root = XCB_NONE, check = c ? xcb_generate_id(c) : XCB_NONE;
    bool redirected = false;
};

bool listsWindowOf(const std::optional<std::vector<WindowInfo>>& windows, pid_t pid) {
    return windows && std::ranges::any_of(*windows, [pid](const WindowInfo& w) { return w.pid == pid; });
}

TEST(X11Windows, UnknownWithoutAnXServer) {
    // No connection, one that failed, and a Qt program on a platform without X11 (offscreen here,
    // Wayland in a session).
    test::ensureGuiApplication();
    X11Windows none(nullptr);
    const auto unreachable = X11Windows::connect("not a display");
    const auto qt =
        QGuiApplication::platformName() == "xcb" ? X11Windows::connect("not a display") : X11Windows::forQt();
    for (X11Windows* windows : {&none, unreachable.get(), qt.get()}) {
        EXPECT_EQ(windows->windows(), std::nullopt);
        EXPECT_FALSE(windows->close(42));
    }
}

// Without a window manager the normal windows are listed with their owner and geometry; a
// manager's client list and close request are used while it runs, and only then.
TEST(X11Windows, ListsNormalWindowsAndUsesAWindowManagerOnlyWhileItRuns) {
    test::Xvfb xvfb;
    if (!xvfb.running()) GTEST_SKIP() << "No X server could be started (is Xvfb installed?)";
    const auto windows = X11Windows::connect(xvfb.display());
    test::TestWindowClient client({}, xvfb.display()), unlisted({}, xvfb.display());
    ASSERT_TRUE(client.waitForLine("ready") && unlisted.waitForLine("ready"));
    const auto all = windows->windows();
    ASSERT_TRUE(listsWindowOf(all, client.pid()) && listsWindowOf(all, unlisted.pid()));
    // The 50 × 50 tool window is no normal window and is not listed at all.
    ASSERT_EQ(std::ranges::count(*all, client.pid(), &WindowInfo::pid), 1);
    const WindowInfo& mine = *std::ranges::find(*all, client.pid(), &WindowInfo::pid);
    EXPECT_EQ((std::array{mine.x, mine.y, mine.width, mine.height}), (std::array{40, 30, 300, 200}));
    EXPECT_FALSE(mine.isHidden || mine.wmClass.empty());

    PretendWindowManager wm(xvfb.display());
    ASSERT_TRUE(wm.ok());
    wm.set(wm.check, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, {wm.check});
    wm.set(wm.root, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, {wm.check});
    wm.set(wm.root, "_NET_SUPPORTED", XCB_ATOM_ATOM, {wm.atom("_NET_CLOSE_WINDOW")});
    wm.set(wm.root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW, {mine.id});
    wm.set(mine.id, "_NET_WM_STATE", XCB_ATOM_ATOM, {wm.atom("_NET_WM_STATE_HIDDEN")});
    const auto managed = windows->windows();
    ASSERT_TRUE(managed);
    ASSERT_EQ(managed->size(), 1u);
    EXPECT_EQ((*managed)[0].pid, client.pid());
    EXPECT_TRUE((*managed)[0].isHidden);
    ASSERT_TRUE(windows->close(mine.id));
    EXPECT_TRUE(wm.receives(wm.atom("_NET_CLOSE_WINDOW"), mine.id));
    // A check window that does not point at itself was left by a manager that is gone.
    wm.set(wm.check, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, {wm.root});
    const auto unmanaged = windows->windows();
    EXPECT_TRUE(listsWindowOf(unmanaged, client.pid()) && listsWindowOf(unmanaged, unlisted.pid()));
    ASSERT_TRUE(windows->close(mine.id));
    // The client itself ends on its close event, as it would not on a signal.
    ASSERT_TRUE(client.waitForLine("closed"));
    ASSERT_TRUE(client.waitForExit());
    EXPECT_EQ(client.exitStatus(), QProcess::NormalExit);
}

} // namespace
} // namespace brisklet
