// The app-cache and log rules.
#include "core/desktop/DesktopEntry.h"
#include "core/fs/DirectoryListing.h"
#include "core/fs/Utf8.h"
#include "core/junk/JunkRules.h"
#include "core/junk/PlatformTexts.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace brisklet::JunkRules {

namespace fs = std::filesystem;

namespace {

// Cache folders whose names say little, with the name a person would recognise.
constexpr std::array<std::pair<std::string_view, std::string_view>, 19> kKnownCacheNames{{
    {"Homebrew", "Homebrew downloads"},
    {"Yarn", "Yarn cache"},
    {"pip", "pip cache"},
    {"CocoaPods", "CocoaPods cache"},
    {"go-build", "Go build cache"},
    {"ms-playwright", "Playwright browsers"},
    {"node-gyp", "node-gyp headers"},
    {"typescript", "TypeScript cache"},
    {"pnpm", "pnpm metadata cache"},
    {"org.swift.swiftpm", "Swift Package Manager"},
    {"JetBrains", "JetBrains IDEs"},
    {"Google", "Google apps"},
    {"electron", "Electron downloads"},
    {"deno", "Deno cache"},
    {"mozilla", "Firefox"},
    {"google-chrome", "Google Chrome"},
    {"chromium", "Chromium"},
    {"thumbnails", "Thumbnails"},
    {"yarn", "Yarn cache"},
}};

// Caches the operating system owns although their names don't say so.
constexpr std::array<std::string_view, 6> kMacSystemCaches{"CloudKit", "FamilyCircle",  "GeoServices",
                                                           "PassKit",  "familycircled", "SiriTTS"};

// Caches a Linux desktop keeps for itself: removing them is harmless in principle but makes the
// session slow or odd until they are rebuilt, so they are offered unchecked.
constexpr std::array<std::string_view, 16> kDesktopCaches{"fontconfig",
                                                          "mesa_shader_cache",
                                                          "mesa_shader_cache_db",
                                                          "nvidia",
                                                          "tracker3",
                                                          "ibus",
                                                          "kwin",
                                                          "plasmashell",
                                                          "gstreamer-1.0",
                                                          "flatpak",
                                                          "gnome-control-center",
                                                          "evolution",
                                                          "obexd",
                                                          "drkonqi",
                                                          "wallpaper",
                                                          "doc"};
constexpr std::array<std::string_view, 4> kDesktopCachePrefixes{"ksycoca", "icon-cache.kcache",
                                                                "plasma_theme_", "qtshadercache-"};

// The folder our own cache lives in on the freedesktop layout; never offered.
constexpr std::string_view kOwnCacheFolder = "brisklet";

template <std::size_t N> bool contains(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::optional<std::string_view> knownCacheName(std::string_view folder) {
    for (const auto& [key, shown] : kKnownCacheNames)
        if (key == folder) return shown;
    return std::nullopt;
}

bool isDesktopCache(std::string_view name) {
    if (contains(kDesktopCaches, name)) return true;
    return std::any_of(kDesktopCachePrefixes.begin(), kDesktopCachePrefixes.end(),
                       [&](std::string_view prefix) { return name.starts_with(prefix); });
}

JunkScanner::Candidate candidate(fs::path url, std::string name, bool recommended,
                                 std::optional<std::string> note = std::nullopt,
                                 std::optional<fs::path> appURL = std::nullopt) {
    return JunkScanner::Candidate{std::move(url), std::move(name), recommended, std::move(note),
                                  std::move(appURL)};
}

// The macOS layout: the application behind a bundle identifier is a host service this host
// doesn't have, so the names fall back to the tables and the folder names.
Candidates macAppCaches(const Locations& locations) {
    const fs::path folder = locations.home / "Library" / "Caches";
    const std::string note(platformTexts(JunkLayout::macOS).systemCacheNote);
    Candidates out;
    for (const std::string& entry : listDirectory(folder, HiddenEntries::skip).names) {
        const std::string name = validUtf8(entry);
        const bool shipIt = name.ends_with(".ShipIt");
        const std::string base = shipIt ? name.substr(0, name.size() - 7) : name;
        const bool system = name.starts_with("com.apple.") || contains(kMacSystemCaches, name);
        std::string shown;
        if (shipIt)
            shown = base + " update leftovers";
        else if (const auto known = knownCacheName(name))
            shown = std::string(*known);
        else
            shown = name;
        out.push_back(candidate(folder / entry, std::move(shown), !system,
                                system ? std::optional<std::string>(note) : std::nullopt));
    }
    return out;
}

Candidates freedesktopAppCaches(const Locations& locations) {
    const std::string note(platformTexts(JunkLayout::freedesktop).systemCacheNote);
    Candidates out;
    for (const std::string& entry : listDirectory(locations.cacheHome, HiddenEntries::skip).names) {
        if (entry == kOwnCacheFolder) continue;
        const std::string name = validUtf8(entry);
        const auto app = applicationWithId(entry, locations);
        std::string shown = app ? app->name : std::string(knownCacheName(name).value_or(name));
        const bool desktop = isDesktopCache(name);
        out.push_back(candidate(locations.cacheHome / entry, std::move(shown), !desktop,
                                desktop ? std::optional<std::string>(note) : std::nullopt,
                                app ? std::optional<fs::path>(app->url) : std::nullopt));
    }
    return out;
}

bool ownedByUser(const fs::path& entry, bool regularFileOnly) {
    struct stat st {};
    if (::lstat(entry.c_str(), &st) != 0) return false;
    if (regularFileOnly && !S_ISREG(st.st_mode)) return false;
    return st.st_uid == ::getuid();
}

} // namespace

Candidates appCaches(const Locations& locations) {
    return locations.layout == JunkLayout::macOS ? macAppCaches(locations) : freedesktopAppCaches(locations);
}

Candidates logs(const Locations& locations) {
    Candidates out;
    if (locations.layout == JunkLayout::macOS) {
        const fs::path folder = locations.home / "Library" / "Logs";
        for (const std::string& entry : listDirectory(folder, HiddenEntries::skip).names)
            out.push_back(candidate(folder / entry,
                                    entry == "DiagnosticReports" ? "Crash reports" : validUtf8(entry), true));
        return out;
    }
    // Xorg's logs; nothing else under the state folder, which holds history, not just logs.
    const fs::path xorg = locations.dataHome / "xorg";
    for (const std::string& entry : listDirectory(xorg, HiddenEntries::skip).names)
        out.push_back(candidate(xorg / entry, validUtf8(entry), true));
    // The system's crash folder is shared; only the user's own reports are theirs to remove.
    for (const std::string& entry : listDirectory(locations.crashDir, HiddenEntries::skip).names) {
        const fs::path report = locations.crashDir / entry;
        if (ownedByUser(report, true))
            out.push_back(candidate(report, "Crash report · " + validUtf8(entry), true));
    }
    return out;
}

} // namespace brisklet::JunkRules
