#pragma once

#include "core/proc/ProcessSample.h"
#include "host/RunningApps.h"

#include <QString>

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brisklet {

// One regular app as the memory page lists it, with the memory of all its helpers added up.
struct AppUsage {
    pid_t id = 0;   // the app's main process
    RunningApp app; // what quitting and force-quitting go through
    QString name;
    QString iconName; // a theme icon name or a file path, turned into an icon by the view; may be empty
    std::uint64_t memory = 0;
    int processCount = 0;
    bool isHidden = false;
    bool hasWindows = false;

    bool operator==(const AppUsage&) const = default;
};

// A developer runtime or server left running, from a terminal or an editor.
struct DevProcess {
    pid_t id = 0;
    QString runtime;                  // the process name as sampled ("node", "python3.12")
    QString command;                  // the short command, see commandFrom()
    std::optional<QString> directory; // working directory, home written as "~"; none when unreadable
    std::uint64_t memory = 0;

    // The few arguments that tell one server from another: the second to the fourth, each file path
    // cut to its last component ("server.js --watch"). Without them the program itself is shown,
    // as the system reported it. More than 70 characters are cut to 70 and "…".
    static QString commandFrom(const std::vector<std::string>& arguments);

    bool operator==(const DevProcess&) const = default;
};

// The rows for developer candidates, largest first: their command lines and working directories
// read from the proc root. A process that has ended since it was sampled keeps its sampled figures
// with an empty command and no directory. Does system calls per candidate; run it off the main thread.
std::vector<DevProcess> readDevProcesses(const std::vector<ProcessSample>& candidates,
                                         const std::filesystem::path& procRoot,
                                         const std::filesystem::path& home);

} // namespace brisklet
