#pragma once

#include "app/AppUsage.h"
#include "app/Notice.h"
#include "core/junk/Locations.h"
#include "core/proc/MemorySnapshot.h"
#include "core/proc/ProcessSample.h"
#include "core/removal/Outcome.h"
#include "core/removal/SystemActions.h"

#include <QObject>
#include <QTimer>

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace brisklet {

class RunningApps;
class WorkerPools;
class Workspace;

// Everything the window and the tray show about memory: the latest figures with a three-minute
// history, the regular apps with all their helpers added up, developer runtimes left running, and
// the heaviest processes that belong to no app. Lives on the main thread and refreshes itself for
// as long as it exists; process sampling and command-line reading run on the utility pool, the
// purge on the user-initiated pool, and every result is published back here.
class MemoryModel final : public QObject {
    Q_OBJECT

public:
    // The outside world, replaceable so that tests run the real model on fixtures.
    struct Services {
        RunningApps& runningApps;
        Workspace& workspace; // tells our own process, which is never listed
        std::filesystem::path procRoot = "/proc";
        std::filesystem::path sysRoot = "/sys";
        std::filesystem::path home = Locations::current().home; // for the "~" in working directories
        // Blocks until the purge is over; runs on a worker thread, so it must capture values only.
        std::function<Outcome()> purge = [] { return SystemActions::purgeMemory(); };
        std::chrono::milliseconds statsInterval{2000};
        int appsEveryCycles = 2; // an apps pass on every such cycle, the first one included
        std::chrono::milliseconds refreshSoonDelay{1500};
        std::chrono::milliseconds purgeSettle{1000}; // lets the kernel's figures catch up with a purge
        // When set, the apps pass runs only while some viewer shows the lists (setAppsWatched); the
        // stats pass always runs. Off by default, so a model nobody tells about viewers lists apps.
        bool appsOnlyWhenWatched = false;
    };

    // One point per stats pass: three minutes at the regular interval.
    static constexpr std::size_t kHistoryLimit = 90;

    // Takes the first snapshot now and starts the refresh loop, whose first cycle (a stats point and
    // an apps pass) runs as soon as the event loop does. The services' references and `pools` must
    // outlive the model.
    MemoryModel(Services services, WorkerPools& pools, QObject* parent = nullptr);
    ~MemoryModel() override;

    const MemorySnapshot& snapshot() const { return m_snapshot; }
    // Used fraction of memory per stats pass, oldest first.
    const std::vector<double>& history() const { return m_history; }
    const std::vector<AppUsage>& apps() const { return m_apps; }
    const std::vector<DevProcess>& devProcesses() const { return m_devProcesses; }
    const std::vector<ProcessSample>& background() const { return m_background; }
    bool isPurging() const { return m_isPurging; }
    const std::set<pid_t>& selectedApps() const { return m_selectedApps; }
    const std::optional<Notice>& notice() const { return m_notice; }
    // The views dismiss the notice by setting none.
    void setNotice(std::optional<Notice> notice);
    // Memory of the selected apps that are listed; a selected app that is gone counts nothing.
    std::uint64_t selectedMemory() const;

    // Replaces the snapshot and adds a history point.
    void refreshStats();
    // Samples the process table in the background and publishes apps, the selection, developer
    // processes and background processes, in that order. Passes may overlap; the later one wins.
    void refreshApps();

    // A view says whether it shows the app lists now. With `appsOnlyWhenWatched`, the cycle skips
    // the apps pass while no viewer does, and the first viewer to come back gets a pass at once,
    // with the regular cadence counted from it. Each viewer counts once however often it repeats
    // itself; a viewer that is destroyed stops watching.
    void setAppsWatched(const QObject* viewer, bool watched);
    bool appsWatched() const { return !m_services.appsOnlyWhenWatched || !m_watchers.empty(); }

    void toggle(const AppUsage& app);
    // Replaces the whole selection, as "Deselect" does with none.
    void setSelectedApps(std::set<pid_t> ids);
    void quit(const AppUsage& app, bool force);
    // Asks every selected app to quit politely, never by force.
    void quitSelected();
    void stop(const DevProcess& process);
    // Drops the kernel's inactive file cache, asking for an administrator password; one at a time.
    void freeUpRAM();

signals:
    void snapshotChanged();
    void historyChanged();
    void appsChanged();
    void devProcessesChanged();
    void backgroundChanged();
    void isPurgingChanged();
    void selectedAppsChanged();
    void noticeChanged();

private:
    void runCycle();
    // `published` runs once the pass has published everything; never when the model went first.
    void refreshApps(std::function<void()> published);
    void refreshSoon();
    void finishPurge(const MemorySnapshot& before, const Outcome& outcome);
    void post(QString text, bool isError);

    Services m_services;
    WorkerPools& m_pools;
    QTimer m_cycleTimer;
    int m_cycle = 0;
    int m_appsPassesInFlight = 0;
    std::map<const QObject*, QMetaObject::Connection> m_watchers; // to the viewer's `destroyed`

    MemorySnapshot m_snapshot;
    std::vector<double> m_history;
    std::vector<AppUsage> m_apps;
    std::vector<DevProcess> m_devProcesses;
    std::vector<ProcessSample> m_background;
    bool m_isPurging = false;
    std::set<pid_t> m_selectedApps;
    std::optional<Notice> m_notice;
};

} // namespace brisklet
