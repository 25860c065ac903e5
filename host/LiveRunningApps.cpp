#include "host/LiveRunningApps.h"

#include "core/proc/ProcessReader.h"
#include "host/AppScan.h"

#include <signal.h>

#include <algorithm>
#include <cstdlib>

namespace brisklet {

LiveRunningApps::LiveRunningApps(Locations locations, WindowList& windows, pid_t ownPid,
                                 std::filesystem::path procRoot, std::string locale)
    : m_locations(std::move(locations)), m_windows(windows), m_ownPid(ownPid),
      m_procRoot(std::move(procRoot)), m_locale(std::move(locale)) {}

RunningApps::Listing LiveRunningApps::listing() {
    // A partial list would make every app it misses look windowless; unknown is the truer answer.
    auto windows = m_windows.seesEveryWindow() ? m_windows.windows() : std::nullopt;
    return [input = AppScan::Input{m_procRoot, m_locations, m_ownPid, m_locale, std::move(windows)}] {
        return AppScan::runningApps(input);
    };
}

void LiveRunningApps::quit(const RunningApp& app) {
    bool asked = false;
    if (const auto windows = m_windows.windows()) {
        for (const WindowInfo& window : *windows) {
            if (window.pid <= 0 || std::find(app.pids.begin(), app.pids.end(), window.pid) == app.pids.end())
                continue;
            asked = m_windows.close(window.id) || asked;
        }
    }
    // An app without windows (or on a session that cannot list them) has no way to ask about
    // unsaved work but its own SIGTERM handler.
    if (!asked && app.pid != m_ownPid) ProcessReader::terminate(app.pid);
}

void LiveRunningApps::forceQuit(const RunningApp& app) {
    std::vector<pid_t> pids = AppScan::withDescendants(app.pids, m_procRoot);
    // The main process first, so it cannot start replacements for helpers killed before it.
    std::stable_partition(pids.begin(), pids.end(), [&](pid_t pid) { return pid == app.pid; });
    for (const pid_t pid : pids) {
        // pid 1 and below would mean init, a process group or every process.
        if (pid > 1 && pid != m_ownPid) ::kill(pid, SIGKILL);
    }
}

std::string LiveRunningApps::messagesLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return value;
    }
    return {};
}

} // namespace brisklet
