#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brisklet {

// One normal top-level window of the desktop session: an application's document or main window,
// never a menu, tool palette, dialog or the desktop itself.
struct WindowInfo {
    std::uint32_t id = 0; // the window system's handle, for closing it
    pid_t pid = 0;        // the process that says it owns the window; 0 when it does not say
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool isHidden = false;  // minimised (iconified)
    std::string wmInstance; // WM_CLASS, used to recognise apps that run outside an app unit
    std::string wmClass;

    bool operator==(const WindowInfo&) const = default;
};

// Windows smaller than this in either direction are splash screens and tray helpers, not windows
// a user would say the app has open.
inline bool countsAsOpenWindow(const WindowInfo& window) {
    return window.width > 80 && window.height > 80;
}

// The session's windows. Called on the main thread.
class WindowList {
public:
    virtual ~WindowList() = default;

    // Every normal top-level window. Nothing when the session cannot tell (a Wayland session
    // without an X server, no display at all), which callers must not read as "no windows".
    virtual std::optional<std::vector<WindowInfo>> windows() = 0;

    // False when windows() lists only some of the session's windows: X11 clients under XWayland,
    // where native Wayland windows stay invisible. "Has no window" can then not be concluded from
    // the list, though the windows it does list can still be closed.
    virtual bool seesEveryWindow() const { return true; }

    // Asks the window's owner to close it, the way the close button does, so the app can ask
    // about unsaved work. False when the window cannot be asked (gone, or it does not take part
    // in the close protocol).
    virtual bool close(std::uint32_t windowId) = 0;
};

} // namespace brisklet
