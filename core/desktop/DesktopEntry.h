#pragma once

#include "core/junk/Locations.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brisklet {

// The [Desktop Entry] group of a freedesktop .desktop file: how a desktop names, shows and starts
// an application.
struct DesktopEntry {
    std::string id;                                       // the file name without ".desktop"
    std::filesystem::path path;                           // where it was read from
    std::map<std::string, std::string, std::less<>> keys; // [Desktop Entry] only, values unescaped

    std::optional<std::string> value(std::string_view key) const;
    bool flag(std::string_view key) const { return value(key) == "true"; }

    // Parses a file's contents: the first occurrence of a key wins, white space around "=" is
    // ignored, localized keys ("Name[de]") are keys of their own.
    static DesktopEntry parse(std::string_view contents);
    static std::optional<DesktopEntry> read(const std::filesystem::path& file);

    // An application a user would recognise: Type=Application with a name, not hidden, and shown
    // in menus.
    bool isShownApplication() const;
};

// The folders searched for desktop entries, most important first.
std::vector<std::filesystem::path> applicationFolders(const Locations& locations);

// The entry that decides for `id`: the first file named ID.desktop directly in an application
// folder, in precedence order. An entry further down never overrides a hidden one above it.
std::optional<DesktopEntry> findDesktopEntry(std::string_view id, const Locations& locations);

struct InstalledApplication {
    std::string name;
    std::filesystem::path url; // the desktop file, from which its icon is found
};

// The shown application with this desktop id, if there is one.
std::optional<InstalledApplication> applicationWithId(std::string_view id, const Locations& locations);

} // namespace brisklet
