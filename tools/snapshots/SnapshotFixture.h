#pragma once

#include "app/MemoryModel.h"
#include "app/StorageModel.h"
#include "app/WorkerPools.h"
#include "core/junk/Locations.h"
#include "core/removal/Outcome.h"
#include "host/Fakes.h"
#include "support/HeldPurge.h"
#include "support/ProcTree.h"
#include "support/TempTree.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace brisklet::snapshots {

// The whole outside world of one snapshot run, made up in a temporary folder that goes with it: a
// home with junk of every kind, node_modules in a few projects and some large files; a /proc with a
// believable 16 GiB machine running desktop apps, developer runtimes and background services; and
// the real storage and memory models over them. Nothing of the real home or the real /proc is read.
class SnapshotFixture {
public:
    // How long any wait for the models may take before the run fails; generous, as the run is under
    // the sanitizers in the tests.
    static constexpr std::chrono::milliseconds timeout{30'000};

    SnapshotFixture();
    ~SnapshotFixture();
    SnapshotFixture(const SnapshotFixture&) = delete;
    SnapshotFixture& operator=(const SnapshotFixture&) = delete;

    StorageModel& storage() { return *m_storage; }
    MemoryModel& memory() { return *m_memory; }
    FakeRunningApps& runningApps() { return m_running; }
    FakeWorkspace& workspace() { return m_workspace; }
    const Locations& locations() const { return m_locations; }
    const std::filesystem::path& home() const { return m_home; }
    // The models' background pools, for scenes that must catch work before it runs.
    WorkerPools& pools() { return m_pools; }

    // Scans all junk kinds, the node_modules and the large files, and waits for the first apps pass.
    void settle();

    // A second storage model over the same home that has scanned nothing yet.
    std::unique_ptr<StorageModel> freshStorage();

    // Runs an apps pass over the current `runningApps()` and waits until it has published.
    void refreshApps();

    // Makes the next "Free Up RAM" wait until finishPurge, so the busy state can be drawn.
    void holdPurge();
    // Lets a held purge end with `outcome`; a successful one finds the cache emptied and waits for
    // the model's notice. The memory figures return to normal with restoreMemory.
    void finishPurge(const Outcome& outcome);
    void restoreMemory();

    // Runs the event loop until `done` holds; a wait longer than `timeout` throws, naming `what`.
    static void waitUntil(const std::string& what, const std::function<bool()>& done);

private:

    void buildHome();
    void buildProcesses();
    void writeMemory(std::uint64_t appKiB, std::uint64_t cachedKiB);
    std::string appIcon(const std::string& name, unsigned rgb);
    StorageModel::Services storageServices() const;

    // The tree first and the pools after everything that uses them: the models go first, then the
    // pools wait for the work still running, and only then is the folder removed.
    test::TempTree m_tree;
    test::ProcTree m_proc{m_tree};
    std::filesystem::path m_home;
    Locations m_locations;
    FakeRunningApps m_running;
    FakeWorkspace m_workspace;
    test::HeldPurge m_purge{Outcome::done(), false};
    int m_appsPasses = 0;
    WorkerPools m_pools;
    std::unique_ptr<StorageModel> m_storage;
    std::unique_ptr<MemoryModel> m_memory;
};

} // namespace brisklet::snapshots
