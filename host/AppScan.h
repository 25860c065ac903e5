#pragma once

#include "core/desktop/DesktopEntry.h"
#include "core/junk/Locations.h"
#include "host/RunningApps.h"
#include "host/WindowList.h"

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How running processes are grouped into desktop apps. Pure: everything comes from the proc root,
// the desktop entries of `Locations` and a window list taken beforehand, so the scan can run off the
// main thread and tests can drive it with fixture trees.
namespace brisklet::AppScan {

// systemd escapes unit-name bytes as "\xNN"; anything that is not a complete escape stays as it is.
std::string unescapeUnitName(std::string_view name);

// The systemd cgroup path in the contents of /proc/PID/cgroup: the unified ("0::") line, or on
// hybrid hierarchies the "name=systemd" one when the unified line only says "/".
std::optional<std::string> systemdCgroupPath(std::string_view cgroupFile);

struct UnitReading {
    enum class Kind {
        none,     // not in an app unit
        app,      // in an app unit; candidateIds says which app
        excluded, // session services, background services, autostarted helpers: never an app
    };
    Kind kind = Kind::none;
    std::string unit; // the unit's name as systemd spells it
    // Desktop ids the unit may stand for, longest first. A launcher may or may not prefix its own
    // token ("gnome-", "flatpak-") and may or may not escape dashes inside the app id, so the unit
    // name alone cannot say where the launcher ends; the first candidate that names a desktop
    // entry decides.
    std::vector<std::string> candidateIds;

    bool operator==(const UnitReading&) const = default;
};

UnitReading readAppUnit(std::string_view cgroupPath);

// The folder standing in for the app's bundle: the executable's folder, unless that folder is
// shared by unrelated programs (bin, sbin, libexec, lib, lib64, a multiarch lib folder under /, /usr
// or /usr/local; /opt; /snap/bin; /app/bin; `home`/.local/bin; /), where a prefix match would
// claim strangers as helpers.
std::optional<std::filesystem::path> bundleFolder(const std::filesystem::path& executable,
                                                  const std::filesystem::path& home);

// The value of `key` for a locale in the LC_MESSAGES form (lang_COUNTRY.ENCODING@MODIFIER), with
// the fallbacks of the desktop entry format, down to the unlocalized key.
std::optional<std::string> localizedValue(const DesktopEntry& entry, std::string_view key,
                                          std::string_view locale);

struct Input {
    std::filesystem::path procRoot = "/proc";
    Locations locations;
    pid_t ownPid = 0;
    std::string locale; // "de_DE.UTF-8"; empty for the unlocalized names
    // Taken on the main thread before the scan; nothing when the session cannot list windows.
    std::optional<std::vector<WindowInfo>> windows;
};

// The running apps, oldest first. Processes are found through their app unit, then the Flatpak
// sandbox they run in, then (for window owners only) a desktop entry whose StartupWMClass or Exec
// fits the window. Only apps whose desktop entry is shown are listed. Our own process is in no app's
// pids, and an app whose main process would be ours is not listed at all.
std::vector<RunningApp> runningApps(const Input& input);

// Processes that exist right now for the pids, plus all their descendants, from the proc root.
std::vector<pid_t> withDescendants(const std::vector<pid_t>& pids,
                                   const std::filesystem::path& procRoot = "/proc");

} // namespace brisklet::AppScan
