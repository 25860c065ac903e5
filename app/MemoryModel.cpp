#include "app/MemoryModel.h"

#include "app/AppGrouping.h"
#include "app/Background.h"
#include "app/Observable.h"
#include "app/WorkerPools.h"
#include "core/fs/Bytes.h"
#include "core/proc/MemoryReader.h"
#include "core/proc/ProcessReader.h"
#include "host/RunningApps.h"
#include "host/Workspace.h"

#include <algorithm>
#include <utility>

namespace brisklet {

namespace {

struct TableReading {
    std::vector<ProcessSample> samples;
    std::vector<RunningApp> apps;
};

QString memoryText(std::uint64_t bytes) {
    return QString::fromStdString(Bytes::memory(bytes));
}

} // namespace

MemoryModel::MemoryModel(Services services, WorkerPools& pools, QObject* parent)
    : QObject(parent), m_services(std::move(services)), m_pools(pools),
      m_snapshot(MemoryReader::snapshot(m_services.procRoot, m_services.sysRoot)) {
    // The timer is ours, so the loop ends with the model; an apps pass still running then publishes
    // nowhere and schedules nothing. The first cycle comes as soon as the event loop runs, so the
    // model is complete, and can be observed, before it first changes.
    m_cycleTimer.setSingleShot(true);
    m_cycleTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_cycleTimer, &QTimer::timeout, this, &MemoryModel::runCycle);
    m_cycleTimer.start(0);
}

MemoryModel::~MemoryModel() = default;

void MemoryModel::setNotice(std::optional<Notice> notice) {
    assignIfChanged(this, m_notice, std::move(notice), &MemoryModel::noticeChanged);
}

std::uint64_t MemoryModel::selectedMemory() const {
    std::uint64_t sum = 0;
    for (const AppUsage& app : m_apps)
        if (m_selectedApps.contains(app.id)) sum += app.memory;
    return sum;
}

void MemoryModel::setAppsWatched(const QObject* viewer, bool watched) {
    const bool before = appsWatched();
    if (watched) {
        if (m_watchers.contains(viewer)) return;
        m_watchers.emplace(viewer, connect(viewer, &QObject::destroyed, this,
                                           [this, viewer] { setAppsWatched(viewer, false); }));
    } else {
        const auto found = m_watchers.find(viewer);
        if (found == m_watchers.end()) return;
        disconnect(found->second);
        m_watchers.erase(found);
    }
    // The first cycle, still to come, brings a pass anyway.
    if (before || !appsWatched() || m_cycle == 0) return;
    // The lists may be minutes old: the viewer should not show them for a whole cadence. A pass
    // still running publishes fresh lists by itself.
    if (m_appsPassesInFlight == 0) refreshApps();
    m_cycle = 1;
}

void MemoryModel::runCycle() {
    refreshStats();
    const bool withApps =
        appsWatched() && (m_services.appsEveryCycles <= 1 || m_cycle % m_services.appsEveryCycles == 0);
    ++m_cycle;
    // The next cycle waits for the apps pass, so a slow pass never piles up behind itself.
    const auto next = [this] { m_cycleTimer.start(m_services.statsInterval); };
    if (withApps)
        refreshApps(next);
    else
        next();
}

void MemoryModel::refreshStats() {
    assignIfChanged(this, m_snapshot, MemoryReader::snapshot(m_services.procRoot, m_services.sysRoot),
                    &MemoryModel::snapshotChanged);
    m_history.push_back(m_snapshot.usedFraction());
    if (m_history.size() > kHistoryLimit)
        m_history.erase(m_history.begin(), m_history.end() - static_cast<std::ptrdiff_t>(kHistoryLimit));
    emit historyChanged();
}

void MemoryModel::refreshApps() {
    refreshApps({});
}

void MemoryModel::refreshApps(std::function<void()> published) {
    // The window list must be taken here; the rest of the listing reads /proc like the sampling.
    RunningApps::Listing listing = m_services.runningApps.listing();
    ++m_appsPassesInFlight;
    runThenPublish(
        m_pools.utility(), this,
        [procRoot = m_services.procRoot, listing = std::move(listing)] {
            return TableReading{ProcessReader::sample(procRoot), listing()};
        },
        [this, published = std::move(published)](TableReading reading) mutable {
            AppGrouping::Grouping grouping =
                AppGrouping::group(reading.apps, reading.samples, m_services.workspace.ownPid());
            m_apps = std::move(grouping.apps);
            emit appsChanged();
            std::erase_if(m_selectedApps, [this](pid_t id) {
                return std::none_of(m_apps.begin(), m_apps.end(),
                                    [id](const AppUsage& app) { return app.id == id; });
            });
            emit selectedAppsChanged();

            runThenPublish(
                m_pools.utility(), this,
                [candidates = std::move(grouping.candidates), procRoot = m_services.procRoot,
                 home = m_services.home] { return readDevProcesses(candidates, procRoot, home); },
                [this, background = std::move(grouping.background),
                 published = std::move(published)](std::vector<DevProcess> devProcesses) mutable {
                    m_devProcesses = std::move(devProcesses);
                    emit devProcessesChanged();
                    m_background = std::move(background);
                    emit backgroundChanged();
                    --m_appsPassesInFlight;
                    if (published) published();
                });
        });
}

void MemoryModel::toggle(const AppUsage& app) {
    if (!m_selectedApps.erase(app.id)) m_selectedApps.insert(app.id);
    emit selectedAppsChanged();
}

void MemoryModel::setSelectedApps(std::set<pid_t> ids) {
    assignIfChanged(this, m_selectedApps, std::move(ids), &MemoryModel::selectedAppsChanged);
}

void MemoryModel::quit(const AppUsage& app, bool force) {
    if (force)
        m_services.runningApps.forceQuit(app.app);
    else
        m_services.runningApps.quit(app.app);
    // Deselected at once: the app may take a while to go, or ask the user and stay.
    m_selectedApps.erase(app.id);
    emit selectedAppsChanged();
    refreshSoon();
}

void MemoryModel::quitSelected() {
    int asked = 0;
    for (const AppUsage& app : m_apps) {
        if (!m_selectedApps.contains(app.id)) continue;
        m_services.runningApps.quit(app.app);
        ++asked;
    }
    assignIfChanged(this, m_selectedApps, {}, &MemoryModel::selectedAppsChanged);
    post(QStringLiteral("Asked %1 app%2 to quit. Any with unsaved work will ask you first.")
             .arg(asked)
             .arg(asked == 1 ? QString() : QStringLiteral("s")),
         false);
    refreshSoon();
}

void MemoryModel::stop(const DevProcess& process) {
    if (ProcessReader::terminate(process.id)) {
        // The figure sampled with the row: the process may take a moment to hand its memory back.
        post(QStringLiteral("Stopped ") + process.runtime + QStringLiteral(" (") + process.command +
                 QStringLiteral(") and freed about ") + memoryText(process.memory) + QStringLiteral("."),
             false);
    } else {
        post(QStringLiteral("Couldn't stop ") + process.runtime +
                 QStringLiteral(" — it may belong to another user or have already exited."),
             true);
    }
    refreshSoon();
}

void MemoryModel::freeUpRAM() {
    if (m_isPurging) return;
    assignIfChanged(this, m_isPurging, true, &MemoryModel::isPurgingChanged);
    const MemorySnapshot before = MemoryReader::snapshot(m_services.procRoot, m_services.sysRoot);
    runThenPublish(
        m_pools.userInitiated(), this, [purge = m_services.purge] { return purge(); },
        [this, before](Outcome outcome) {
            QTimer::singleShot(m_services.purgeSettle, this, [this, before, outcome = std::move(outcome)] {
                finishPurge(before, outcome);
            });
        });
}

void MemoryModel::finishPurge(const MemorySnapshot& before, const Outcome& outcome) {
    refreshStats();
    assignIfChanged(this, m_isPurging, false, &MemoryModel::isPurgingChanged);
    switch (outcome.kind()) {
    case Outcome::Kind::done: {
        const std::uint64_t freed = before.cached > m_snapshot.cached ? before.cached - m_snapshot.cached : 0;
        post(QStringLiteral("Cleared ") + memoryText(freed) + QStringLiteral(" of inactive cache. ") +
                 memoryText(m_snapshot.available()) + QStringLiteral(" is now available."),
             false);
        break;
    }
    case Outcome::Kind::cancelled:
        // The user dismissed the password dialog: that is an answer, not something to report.
        break;
    case Outcome::Kind::failed:
        post(QStringLiteral("Couldn't free memory. ") + QString::fromStdString(outcome.message()), true);
        break;
    }
}

void MemoryModel::refreshSoon() {
    // Tied to the model: a model that is gone has nobody to show the refresh to.
    QTimer::singleShot(m_services.refreshSoonDelay, this, [this] {
        refreshStats();
        refreshApps();
    });
}

void MemoryModel::post(QString text, bool isError) {
    setNotice(Notice::make(std::move(text), isError));
}

} // namespace brisklet
