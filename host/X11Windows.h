#pragma once

#include "host/WindowList.h"

#include <memory>
#include <string>

struct xcb_connection_t;

namespace brisklet {

// The window list of an X server (also XWayland), through the window manager's client list when
// there is a window manager, else through the tree of top-level windows. Works on a connection it
// does not own: Qt's own when the program runs on X11, a test's own otherwise. Use it on the thread
// that uses the connection for Qt, which for us is the main thread.
class X11Windows final : public WindowList {
public:
    // Nothing to list (windows() answers "unknown") when the connection is null or broken.
    explicit X11Windows(xcb_connection_t* connection, int screen = 0);
    ~X11Windows() override;
    X11Windows(const X11Windows&) = delete;
    X11Windows& operator=(const X11Windows&) = delete;

    // On Qt's X11 connection; one that always answers "unknown" when Qt runs on another platform
    // (Wayland, offscreen). When Qt runs on XWayland inside a Wayland session, it sees only part
    // of the windows (seesEveryWindow() is false).
    static std::unique_ptr<X11Windows> forQt();
    // On a connection of its own to `display` (":1"); "unknown" when the server cannot be reached.
    static std::unique_ptr<X11Windows> connect(const std::string& display);

    std::optional<std::vector<WindowInfo>> windows() override;
    // Through the window manager (_NET_CLOSE_WINDOW) when it offers that, else straight to the
    // client (WM_DELETE_WINDOW) when the window takes part in that protocol.
    bool close(std::uint32_t windowId) override;
    bool seesEveryWindow() const override;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace brisklet
