#include "core/junk/Locations.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace brisklet {

namespace fs = std::filesystem;

namespace {

// The XDG rules: only an absolute value counts; anything else falls back to the default.
fs::path absoluteOr(const std::optional<std::string>& value, const fs::path& fallback) {
    if (value && !value->empty() && value->front() == '/') return fs::path(*value);
    return fallback;
}

std::vector<fs::path> dataDirsFrom(const std::optional<std::string>& value) {
    const std::string text = value && !value->empty() ? *value : std::string("/usr/local/share:/usr/share");
    std::vector<fs::path> dirs;
    std::string_view rest(text);
    while (true) {
        const auto colon = rest.find(':');
        const std::string_view piece = rest.substr(0, colon);
        if (!piece.empty() && piece.front() == '/') dirs.emplace_back(std::string(piece));
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return dirs;
}

fs::path homeFrom(const Locations::Environment& env) {
    // A relative $HOME names nothing (it would depend on the working folder), as with the XDG variables.
    if (const auto home = env("HOME"); home && !home->empty() && home->front() == '/') return fs::path(*home);
    // No usable $HOME (a service, a stripped environment): ask the user database.
    std::string buffer(16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        return fs::path(found->pw_dir);
    return fs::path("/");
}

} // namespace

JunkLayout hostJunkLayout() {
#ifdef __APPLE__
    return JunkLayout::macOS;
#else
    return JunkLayout::freedesktop;
#endif
}

Locations Locations::current() {
    return fromEnvironment([](const std::string& name) -> std::optional<std::string> {
        if (const char* value = std::getenv(name.c_str())) return std::string(value);
        return std::nullopt;
    });
}

Locations Locations::fromEnvironment(const Environment& env, JunkLayout layout) {
    const fs::path home = homeFrom(env);
    const auto tmp = env("TMPDIR");
    Locations locations = forHome(home, tmp && !tmp->empty() ? fs::path(*tmp) : fs::path("/tmp"), layout);
    locations.cacheHome = absoluteOr(env("XDG_CACHE_HOME"), locations.cacheHome);
    locations.dataHome = absoluteOr(env("XDG_DATA_HOME"), locations.dataHome);
    locations.stateHome = absoluteOr(env("XDG_STATE_HOME"), locations.stateHome);
    locations.dataDirs = dataDirsFrom(env("XDG_DATA_DIRS"));
    return locations;
}

Locations Locations::forHome(const fs::path& home, const fs::path& tempDir, JunkLayout layout) {
    Locations locations;
    locations.home = home;
    locations.tempDir = tempDir;
    locations.cacheHome = home / ".cache";
    locations.dataHome = home / ".local" / "share";
    locations.stateHome = home / ".local" / "state";
    locations.dataDirs = {fs::path("/usr/local/share"), fs::path("/usr/share")};
    locations.layout = layout;
    return locations;
}

fs::path Locations::trashFiles() const {
    if (layout == JunkLayout::macOS) return home / ".Trash";
    return dataHome / "Trash" / "files";
}

} // namespace brisklet
