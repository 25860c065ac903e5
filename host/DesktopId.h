#pragma once

namespace brisklet {

// brisklet's one name towards the desktop: the desktop entry's file name without ".desktop", the
// icon's name, the session bus name, the tray item's id and the window's application id. Menus,
// docks and task bars tie these together only when they are the same.
inline constexpr const char* kDesktopId = "org.brisklet.Brisklet";

} // namespace brisklet
