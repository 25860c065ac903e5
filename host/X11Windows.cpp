#include "host/X11Windows.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace brisklet {

namespace {

// ICCCM's WM_STATE values.
constexpr std::uint32_t kIconicState = 3;

template <typename Reply> struct FreeReply {
    void operator()(Reply* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply<Reply>>;

} // namespace

struct X11Windows::State {
    xcb_connection_t* connection = nullptr;
    int screen = 0;
    xcb_window_t root = XCB_NONE;
    xcb_ewmh_connection_t ewmh{};
    bool ewmhReady = false;
    xcb_atom_t wmState = XCB_NONE;
    xcb_atom_t wmProtocols = XCB_NONE;
    xcb_atom_t wmDeleteWindow = XCB_NONE;

    xcb_connection_t* owned = nullptr;
    bool partial = false;

    ~State() {
        if (ewmhReady) xcb_ewmh_connection_wipe(&ewmh);
        if (owned) xcb_disconnect(owned);
    }

    bool usable() const { return connection && ewmhReady && xcb_connection_has_error(connection) == 0; }

    xcb_atom_t intern(const char* name) const {
        const auto cookie =
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
        const ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr));
        return reply ? reply->atom : XCB_NONE;
    }

    ReplyPtr<xcb_get_property_reply_t> property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type,
                                                std::uint32_t longs = 1024) const {
        const auto cookie = xcb_get_property(connection, 0, window, name, type, 0, longs);
        ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr));
        if (reply && reply->type == XCB_NONE) reply.reset();
        return reply;
    }

    // The property's items, copied out of the reply that holds them.
    template <typename T>
    std::vector<T> read(xcb_window_t window, xcb_atom_t name, xcb_atom_t type,
                        std::uint32_t longs = 1024) const {
        const auto reply = property(window, name, type, longs);
        if (!reply || reply->format != sizeof(T) * 8) return {};
        const auto* first = static_cast<const T*>(xcb_get_property_value(reply.get()));
        return {first,
                first + static_cast<std::size_t>(xcb_get_property_value_length(reply.get())) / sizeof(T)};
    }

    bool hasAtom(xcb_window_t window, xcb_atom_t list, xcb_atom_t wanted) const {
        const auto atoms = read<xcb_atom_t>(window, list, XCB_ATOM_ATOM);
        return std::find(atoms.begin(), atoms.end(), wanted) != atoms.end();
    }

    // The window manager's check window, when one runs. The property on the root can outlive the
    // manager that set it, so the check window must point at itself.
    bool windowManagerRuns() const {
        const auto check = read<xcb_window_t>(root, ewmh._NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW);
        if (check.empty() || check[0] == XCB_NONE) return false;
        const auto self = read<xcb_window_t>(check[0], ewmh._NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW);
        return !self.empty() && self[0] == check[0];
    }

    std::optional<std::vector<xcb_window_t>> managedClients() const {
        if (!windowManagerRuns()) return std::nullopt;
        if (!property(root, ewmh._NET_CLIENT_LIST, XCB_ATOM_WINDOW, 0)) return std::nullopt;
        return read<xcb_window_t>(root, ewmh._NET_CLIENT_LIST, XCB_ATOM_WINDOW, 1 << 16);
    }

    std::vector<xcb_window_t> children(xcb_window_t window) const {
        const ReplyPtr<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
        if (!tree) return {};
        const xcb_window_t* first = xcb_query_tree_children(tree.get());
        return {first, first + xcb_query_tree_children_length(tree.get())};
    }

    // Without a window manager nobody keeps a client list, so the clients are read off the tree:
    // a window with WM_STATE is a client (a manager without the list set it); a mapped top-level
    // that names its process or class is one too (nobody reparented it); otherwise a frame may
    // hold the client one level down.
    std::vector<xcb_window_t> clientsFromTree() const {
        std::vector<xcb_window_t> clients;
        for (const xcb_window_t top : children(root)) {
            const ReplyPtr<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
                connection, xcb_get_window_attributes(connection, top), nullptr));
            if (!attributes || attributes->override_redirect) continue;
            if (property(top, wmState, wmState)) {
                clients.push_back(top);
                continue;
            }
            if (attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
                (property(top, ewmh._NET_WM_PID, XCB_ATOM_CARDINAL) ||
                 property(top, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING))) {
                clients.push_back(top);
                continue;
            }
            for (const xcb_window_t inner : children(top))
                if (property(inner, wmState, wmState)) clients.push_back(inner);
        }
        return clients;
    }

    // A window without a type is a normal one; otherwise the first type we know decides, since
    // toolkits put their private types ahead of the standard one they fall back to.
    bool isNormal(xcb_window_t window) const {
        const auto types = read<xcb_atom_t>(window, ewmh._NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM);
        if (types.empty()) return true;
        const xcb_atom_t known[] = {
            ewmh._NET_WM_WINDOW_TYPE_NORMAL,        ewmh._NET_WM_WINDOW_TYPE_DESKTOP,
            ewmh._NET_WM_WINDOW_TYPE_DOCK,          ewmh._NET_WM_WINDOW_TYPE_TOOLBAR,
            ewmh._NET_WM_WINDOW_TYPE_MENU,          ewmh._NET_WM_WINDOW_TYPE_UTILITY,
            ewmh._NET_WM_WINDOW_TYPE_SPLASH,        ewmh._NET_WM_WINDOW_TYPE_DIALOG,
            ewmh._NET_WM_WINDOW_TYPE_DROPDOWN_MENU, ewmh._NET_WM_WINDOW_TYPE_POPUP_MENU,
            ewmh._NET_WM_WINDOW_TYPE_TOOLTIP,       ewmh._NET_WM_WINDOW_TYPE_NOTIFICATION,
            ewmh._NET_WM_WINDOW_TYPE_COMBO,         ewmh._NET_WM_WINDOW_TYPE_DND,
        };
        for (const xcb_atom_t type : types)
            if (std::find(std::begin(known), std::end(known), type) != std::end(known))
                return type == ewmh._NET_WM_WINDOW_TYPE_NORMAL;
        return true;
    }

    std::optional<WindowInfo> describe(xcb_window_t window) const {
        const ReplyPtr<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
        if (!geometry) return std::nullopt; // gone while we looked
        if (!isNormal(window)) return std::nullopt;
        WindowInfo info;
        info.id = window;
        info.width = geometry->width;
        info.height = geometry->height;
        const ReplyPtr<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr));
        if (origin) {
            info.x = origin->dst_x;
            info.y = origin->dst_y;
        }
        if (const auto pid = read<std::uint32_t>(window, ewmh._NET_WM_PID, XCB_ATOM_CARDINAL);
            !pid.empty() && pid[0] <= static_cast<std::uint32_t>(std::numeric_limits<pid_t>::max()))
            info.pid = static_cast<pid_t>(pid[0]);
        const auto state = read<std::uint32_t>(window, wmState, wmState);
        info.isHidden = (!state.empty() && state[0] == kIconicState) ||
                        hasAtom(window, ewmh._NET_WM_STATE, ewmh._NET_WM_STATE_HIDDEN);
        // WM_CLASS is "instance\0class\0".
        const auto wmClass = read<char>(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
        const std::string_view text(wmClass.data(), wmClass.size());
        const std::size_t nul = text.find('\0');
        info.wmInstance = std::string(text.substr(0, nul));
        if (nul != std::string_view::npos) {
            std::string_view rest = text.substr(nul + 1);
            info.wmClass = std::string(rest.substr(0, rest.find('\0')));
        }
        return info;
    }
};

X11Windows::X11Windows(xcb_connection_t* connection, int screen) : m_state(std::make_unique<State>()) {
    if (!connection || xcb_connection_has_error(connection) != 0) return;
    m_state->connection = connection;
    m_state->screen = screen;
    xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(connection, &m_state->ewmh);
    if (!cookies) return;
    m_state->ewmhReady = xcb_ewmh_init_atoms_replies(&m_state->ewmh, cookies, nullptr) != 0;
    if (!m_state->ewmhReady || screen < 0 || screen >= m_state->ewmh.nb_screens) {
        m_state->connection = nullptr;
        return;
    }
    m_state->root = m_state->ewmh.screens[screen]->root;
    m_state->wmState = m_state->intern("WM_STATE");
    m_state->wmProtocols = m_state->intern("WM_PROTOCOLS");
    m_state->wmDeleteWindow = m_state->intern("WM_DELETE_WINDOW");
}

X11Windows::~X11Windows() = default;

std::unique_ptr<X11Windows> X11Windows::forQt() {
    xcb_connection_t* connection = nullptr;
    if (const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        connection = x11->connection();
    // Qt talks to the default screen; so do we.
    auto windows = std::make_unique<X11Windows>(connection, 0);
    windows->m_state->partial = connection && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    return windows;
}

std::unique_ptr<X11Windows> X11Windows::connect(const std::string& display) {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(display.c_str(), &screen);
    auto windows = std::make_unique<X11Windows>(connection, screen);
    // xcb hands out a connection object even when it failed; it must be freed all the same.
    windows->m_state->owned = connection;
    return windows;
}

std::optional<std::vector<WindowInfo>> X11Windows::windows() {
    if (!m_state->usable()) return std::nullopt;
    const std::vector<xcb_window_t> clients = m_state->managedClients().value_or(m_state->clientsFromTree());
    std::vector<WindowInfo> result;
    for (const xcb_window_t window : clients)
        if (auto info = m_state->describe(window)) result.push_back(std::move(*info));
    return result;
}

bool X11Windows::seesEveryWindow() const {
    return !m_state->partial;
}

bool X11Windows::close(std::uint32_t windowId) {
    if (!m_state->usable() || windowId == XCB_NONE) return false;
    State& s = *m_state;
    const ReplyPtr<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        s.connection, xcb_get_window_attributes(s.connection, windowId), nullptr));
    if (!attributes) return false;
    // The manager's way lets it treat the request like a click on its own close button.
    if (s.windowManagerRuns() && s.hasAtom(s.root, s.ewmh._NET_SUPPORTED, s.ewmh._NET_CLOSE_WINDOW)) {
        xcb_ewmh_request_close_window(&s.ewmh, s.screen, windowId, XCB_CURRENT_TIME,
                                      XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
        xcb_flush(s.connection);
        return true;
    }
    if (s.wmDeleteWindow == XCB_NONE || !s.hasAtom(windowId, s.wmProtocols, s.wmDeleteWindow)) return false;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = windowId;
    event.type = s.wmProtocols;
    event.data.data32[0] = s.wmDeleteWindow;
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(s.connection, 0, windowId, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(s.connection);
    return true;
}

} // namespace brisklet
