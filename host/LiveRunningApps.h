#pragma once

#include "core/junk/Locations.h"
#include "host/RunningApps.h"
#include "host/WindowList.h"

#include <filesystem>
#include <string>

namespace brisklet {

// The apps of the desktop session read from /proc and the desktop entries, with their windows from
// `windows`. list() reads every process; callers that must keep the main thread free take the
// window list there and run AppScan::runningApps on a worker instead.
class LiveRunningApps final : public RunningApps {
public:
    LiveRunningApps(Locations locations, WindowList& windows, pid_t ownPid,
                    std::filesystem::path procRoot = "/proc", std::string locale = messagesLocale());

    Listing listing() override;
    // Closes each of the app's windows; only an app with no window we can ask gets SIGTERM.
    void quit(const RunningApp& app) override;
    // SIGKILL to every process of the app and whatever they started since they were listed.
    void forceQuit(const RunningApp& app) override;

    // The locale that names are shown in (LC_ALL, LC_MESSAGES, LANG, in that order).
    static std::string messagesLocale();

private:
    Locations m_locations;
    WindowList& m_windows;
    pid_t m_ownPid;
    std::filesystem::path m_procRoot;
    std::string m_locale;
};

} // namespace brisklet
