#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brisklet {

// Where the junk lives: the macOS layout (~/Library/Caches, ~/.Trash, …) or the freedesktop one
// (XDG cache folder, the XDG Trash, …). Both are always compiled and tested; the build picks the
// host's as the default.
enum class JunkLayout { macOS, freedesktop };

JunkLayout hostJunkLayout();

// The folders every scanner, the guard and the cleaner work from. A plain value: tests build
// their own around a fixture home; the program reads the environment afresh with current().
struct Locations {
    std::filesystem::path home;
    std::filesystem::path tempDir;
    std::filesystem::path cacheHome;               // $XDG_CACHE_HOME, default ~/.cache
    std::filesystem::path dataHome;                // $XDG_DATA_HOME, default ~/.local/share
    std::filesystem::path stateHome;               // $XDG_STATE_HOME, default ~/.local/state
    std::vector<std::filesystem::path> dataDirs;   // $XDG_DATA_DIRS, default /usr/local/share:/usr/share
    std::filesystem::path crashDir = "/var/crash"; // the system's crash reports, some of them the user's
    JunkLayout layout = hostJunkLayout();

    bool operator==(const Locations&) const = default;

    // Reads a variable; nullopt when it is not set.
    using Environment = std::function<std::optional<std::string>(const std::string&)>;

    static Locations current();
    static Locations fromEnvironment(const Environment& env, JunkLayout layout = hostJunkLayout());
    // The XDG defaults below `home`, for tests and for callers that know the home folder.
    static Locations forHome(const std::filesystem::path& home, const std::filesystem::path& tempDir,
                             JunkLayout layout = hostJunkLayout());

    // The Trash folder whose entries the Trash category lists.
    std::filesystem::path trashFiles() const;
};

} // namespace brisklet
