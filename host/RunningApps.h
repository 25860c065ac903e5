#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brisklet {

// An application the user started and would recognise: it has a shown desktop entry.
struct RunningApp {
    pid_t pid = 0;           // the main process: the oldest process of the app
    std::vector<pid_t> pids; // every process found for the app, the main one included
    std::string desktopId;   // the desktop entry's id ("org.gnome.Terminal")
    std::string name;        // the entry's name, localized where the entry has it
    std::string iconName;    // the entry's Icon value: a theme icon name or a file path; may be empty
    std::optional<std::filesystem::path> executable; // the main process's program, when readable
    // The program's own folder, standing in for an app bundle: processes whose program lies below it
    // are the app's helpers. None when the program lives in a shared folder such as /usr/bin.
    std::optional<std::filesystem::path> bundle;
    bool isHidden = false;
    bool hasWindows = false;

    bool operator==(const RunningApp&) const = default;
};

// The running applications of the desktop session.
class RunningApps {
public:
    virtual ~RunningApps() = default;

    // The apps in launch order, oldest first. Our own process is never among them.
    virtual std::vector<RunningApp> list() { return listing()(); }

    // What list() does, split so that the slow part can leave the main thread: called on the main
    // thread, it takes there whatever must be taken there (the window list) and returns a job that
    // holds copies of everything else. The job may run on any thread, and after this object is gone.
    using Listing = std::function<std::vector<RunningApp>()>;
    virtual Listing listing() = 0;

    // Asks the app to quit the way closing its windows would, so it can ask about unsaved work.
    // Nothing is reported back: an app that stays open is still listed next time.
    virtual void quit(const RunningApp& app) = 0;

    // Ends every process of the app at once.
    virtual void forceQuit(const RunningApp& app) = 0;
};

} // namespace brisklet
