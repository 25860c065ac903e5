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
#include <memory>

namespace brisklet {
namespace {

// Plays the window manager's part on the test's own X server: publishes the EWMH root
// properties a manager keeps and takes the redirect only a manager may hold, so the requests
// meant for the manager arrive here.
class PretendWindowManager {
public:
    explicit PretendWindowManager(const std::string& display)
        : m_connection(xcb_connect(display.c_str(), nullptr)) {
        if (xcb_connection_has_error(m_connection) != 0) return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        check = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, check, m_root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        // Checked, so that the redirect is in force (or known to be refused) before anyone asks.
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
        std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(
            xcb_request_check(m_connection, xcb_change_window_attributes_checked(m_connection, m_root,
                                                                                 XCB_CW_EVENT_MASK, &mask)),
            &std::free);
        m_redirected = !error;
    }
    ~PretendWindowManager() { xcb_disconnect(m_connection); }

    bool ok() const { return m_redirected && xcb_connection_has_error(m_connection) == 0; }
    xcb_window_t root() const { return m_root; }

    xcb_atom_t atom(const char* name) {
        const auto cookie =
            xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(m_connection, cookie, nullptr), &std::free);
        return reply ? reply->atom : XCB_NONE;
    }

    void set(xcb_window_t window, const char* name, xcb_atom_t type, std::vector<std::uint32_t> values) {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom(name), type, 32,
                            static_cast<std::uint32_t>(values.size()), values.data());
        sync();
    }

    // Waits (bounded) for a client message of `type` about `window` sent to the root.
    bool receives(xcb_atom_t type, xcb_window_t window) {
        for (int round = 0; round < 600; ++round) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                const bool match = (event->response_type & 0x7f) == XCB_CLIENT_MESSAGE &&
                                   message->type == type && message->window == window;
                std::free(event);
                if (match) return true;
            }
            pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&fd, 1, 100);
        }
        return false;
    }

    xcb_window_t check = XCB_NONE;

private:
    // The server keeps the order of requests only within one connection, and the test reads what
    // was set here through another one: a flush merely hands the request to the socket, a reply
    // proves the server has carried out everything sent before it.
    void sync() {
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_NONE;
    bool m_redirected = false;
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
    EXPECT_TRUE(countsAsOpenWindow(mine));

    const std::uint32_t listedId = mine.id;
    PretendWindowManager wm(xvfb.display());
    ASSERT_TRUE(wm.ok());
    wm.set(wm.check, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, {wm.check});
    wm.set(wm.root(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, {wm.check});
    wm.set(wm.root(), "_NET_SUPPORTED", XCB_ATOM_ATOM, {wm.atom("_NET_CLOSE_WINDOW")});
    wm.set(wm.root(), "_NET_CLIENT_LIST", XCB_ATOM_WINDOW, {listedId});
    wm.set(listedId, "_NET_WM_STATE", XCB_ATOM_ATOM, {wm.atom("_NET_WM_STATE_HIDDEN")});
    const auto managed = windows->windows();
    ASSERT_TRUE(managed);
    ASSERT_EQ(managed->size(), 1u);
    EXPECT_EQ((*managed)[0].pid, client.pid());
    EXPECT_TRUE((*managed)[0].isHidden);
    ASSERT_TRUE(windows->close(listedId));
    EXPECT_TRUE(wm.receives(wm.atom("_NET_CLOSE_WINDOW"), listedId));
    // A check window that does not point at itself was left by a manager that is gone.
    wm.set(wm.check, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, {wm.root()});
    const auto unmanaged = windows->windows();
    EXPECT_TRUE(listsWindowOf(unmanaged, client.pid()) && listsWindowOf(unmanaged, unlisted.pid()));
    ASSERT_TRUE(windows->close(listedId));
    // The client itself ends on its close event, as it would not on a signal.
    ASSERT_TRUE(client.waitForLine("closed"));
    ASSERT_TRUE(client.waitForExit());
    EXPECT_EQ(client.exitStatus(), QProcess::NormalExit);
}

} // namespace
} // namespace brisklet
