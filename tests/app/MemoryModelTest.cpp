#include "app/MemoryModel.h"

#include "app/WorkerPools.h"
#include "host/Fakes.h"
#include "support/CoreApplication.h"
#include "support/ProcTree.h"
#include "support/SignalWait.h"
#include "support/TempTree.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <fstream>
#include <future>
#include <memory>

extern char** environ;

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::waitUntil;

constexpr std::uint64_t kGiB = 1 << 20; // in KiB, as meminfo counts

// Every apps pass ends by publishing the background list.
bool waitForAppsPass(MemoryModel& model) {
    QSignalSpy published(&model, &MemoryModel::backgroundChanged);
    return published.wait(30'000);
}

RunningApp app(pid_t pid, std::string name) {
    return RunningApp{pid, {pid}, name, name, {}, {}, {}};
}

class MemoryModelTest : public ::testing::Test {
protected:
    MemoryModelTest() {
        test::ensureCoreApplication();
        proc.memInfo(16 * kGiB, 6 * kGiB, 4 * kGiB);
    }

    // The loop runs its first cycle only; the follow-up refreshes and the purge settle at once.
    MemoryModel::Services services() {
        MemoryModel::Services s{.runningApps = running, .workspace = workspace, .procRoot = proc.root()};
        s.sysRoot = tree.path("sys");
        s.home = tree.path("home");
        s.purge = [] { return Outcome::failed("no purging in this test"); };
        s.statsInterval = 1h;
        s.refreshSoonDelay = s.purgeSettle = 1ms;
        return s;
    }

    // A model whose first apps pass has published.
    std::unique_ptr<MemoryModel> start(MemoryModel::Services s) {
        auto model = std::make_unique<MemoryModel>(std::move(s), pools);
        EXPECT_TRUE(waitForAppsPass(*model));
        return model;
    }

    test::TempTree tree;
    test::ProcTree proc{tree};
    FakeRunningApps running;
    FakeWorkspace workspace;
    WorkerPools pools; // last, so that it waits for the workers before the fixtures go
};

// How apps and runtimes are told apart is the grouping's own test; here the model reads the
// developer processes' command lines and folders, and never lists itself.
TEST_F(MemoryModelTest, ListsAppsAndDeveloperProcessesButNeverOurOwnAndKeepsAHistory) {
    const std::string home = tree.path("home").string();
    proc.add({.pid = workspace.pid, .name = "node", .footprintKiB = 40'000, .exe = "/usr/bin/node"});
    proc.add({.pid = 100, .name = "editor", .footprintKiB = 80'000, .exe = "/opt/editor/editor"});
    const std::vector<std::string> server = {"/usr/bin/node", "/opt/editor/ls/server.js", "--stdio"};
    proc.add({101, 100, "node", 30'000, "/usr/bin/node", server, home + "/src/site"});
    proc.add({200, 1, "python3.12", 60'000, {}, {"python3", "-m", "http.server", "8000"}, "/srv/www"});
    proc.add({.pid = 201, .name = "node", .footprintKiB = 25'000}); // nothing readable beyond the sample
    running.apps = {app(workspace.pid, "Files"), app(100, "Editor")};

    const auto model = start(services());
    ASSERT_EQ(model->apps().size(), 1u);
    EXPECT_EQ(model->apps()[0].memory, (80'000u + 30'000) * 1024);
    EXPECT_EQ(model->devProcesses(),
              (std::vector<DevProcess>{{200, "python3.12", "-m http.server 8000", "/srv/www", 60'000 * 1024},
                                       {101, "node", "server.js --stdio", "~/src/site", 30'000 * 1024},
                                       {201, "node", "", std::nullopt, 25'000 * 1024}}));

    // The history keeps the last ninety points, and an equal snapshot is no change.
    QSignalSpy snapshots(model.get(), &MemoryModel::snapshotChanged),
        history(model.get(), &MemoryModel::historyChanged);
    model->refreshStats();
    EXPECT_EQ(snapshots.count(), 0);
    std::vector<double> last;
    for (std::uint64_t i = 1; i <= 200; ++i) {
        proc.memInfo(1000, i, 0);
        model->refreshStats();
        if (i > 110) last.push_back(MemorySnapshot{.total = 1000 * 1024, .app = i * 1024}.usedFraction());
    }
    EXPECT_EQ(history.count(), 201);
    EXPECT_EQ(model->history(), last);
}

// Each cycle takes a stats point; every second one also runs an apps pass, and the next cycle waits
// for it. So when point n is taken, the passes of the cycles before it have published: n / 2 of them.
TEST_F(MemoryModelTest, LoopRunsAnAppsPassEverySecondCycle) {
    auto s = services();
    s.statsInterval = 1ms;
    MemoryModel model(std::move(s), pools);
    int passes = 0;
    std::vector<std::pair<std::size_t, int>> seen;
    QObject::connect(&model, &MemoryModel::appsChanged, [&] { ++passes; });
    QObject::connect(&model, &MemoryModel::historyChanged,
                     [&] { seen.emplace_back(model.history().size(), passes); });
    QSignalSpy history(&model, &MemoryModel::historyChanged);
    ASSERT_TRUE(waitUntil(history, [&] { return model.history().size() >= 9; }));
    for (const auto& [points, published] : seen)
        EXPECT_EQ(published, static_cast<int>(points / 2)) << points;
}

// With the pause on, the apps pass follows the viewers. The loop's next cycle is an hour away, so
// every pass counted here is one the viewers caused, and it has published once the pools are idle.
TEST_F(MemoryModelTest, AppsPassWaitsForAViewerAndRunsAtOnceForTheFirstOne) {
    proc.add({.pid = 10, .name = "app", .footprintKiB = 1000});
    running.apps = {app(10, "A")};
    auto s = services();
    s.appsOnlyWhenWatched = true;
    MemoryModel model(std::move(s), pools);
    int passes = 0;
    QObject::connect(&model, &MemoryModel::backgroundChanged, [&] { ++passes; });
    const auto settle = [&] {
        for (int hop = 0; hop < 3; ++hop) { // sampling, then the developer processes, then publishing
            pools.utility().waitForDone();
            QCoreApplication::processEvents();
        }
    };
    ASSERT_TRUE(test::waitFor(model, &MemoryModel::historyChanged, [&] { return !model.history().empty(); }));
    settle();
    EXPECT_EQ(passes, 0);
    EXPECT_FALSE(model.appsWatched());

    QObject window, panel;
    auto closing = std::make_unique<QObject>();
    const std::tuple<const QObject*, bool, bool, int> steps[] = {
        {&window, true, true, 1},       // the first viewer: a pass at once
        {&panel, true, true, 1},        // a second viewer: the lists are fresh already
        {&window, false, true, 1},      // the panel still shows them
        {&panel, false, false, 1},      // nobody left
        {&panel, false, false, 1},      // a viewer that was not watching
        {&window, true, true, 2},       // a viewer again: a pass at once
        {&window, false, false, 2},     // nobody left
        {closing.get(), true, true, 3}, // one that goes away below
    };
    for (const auto& [viewer, watched, anyoneWatches, count] : steps) {
        model.setAppsWatched(viewer, watched);
        EXPECT_EQ(model.appsWatched(), anyoneWatches) << count;
        settle();
        EXPECT_EQ(passes, count);
    }
    ASSERT_EQ(model.apps().size(), 1u);
    // A viewer destroyed while watching no longer counts, so the next one brings a pass again.
    closing.reset();
    EXPECT_FALSE(model.appsWatched());
    model.setAppsWatched(&panel, true);
    settle();
    EXPECT_EQ(passes, 4);
    model.setAppsWatched(&panel, false);
}

TEST_F(MemoryModelTest, SelectionCountsOnlyListedAppsQuittingDeselectsAndStopSignals) {
    for (const auto& [pid, kib] : {std::pair{10, 1000u}, {20, 2000u}, {30, 4000u}})
        proc.add({.pid = pid, .name = "app", .footprintKiB = kib});
    running.apps = {app(10, "A"), app(20, "B"), app(30, "C")};
    const auto model = start(services());
    const std::vector<AppUsage> apps = model->apps(); // C, B, A
    QSignalSpy selection(model.get(), &MemoryModel::selectedAppsChanged);
    for (const int i : {0, 1, 2, 2})
        model->toggle(apps[i]);
    EXPECT_EQ(selection.count(), 4);
    EXPECT_EQ(model->selectedMemory(), 6000u * 1024);
    std::erase_if(running.apps, [](const RunningApp& a) { return a.pid == 30; });
    model->refreshApps();
    ASSERT_TRUE(waitForAppsPass(*model));
    EXPECT_EQ(model->selectedApps(), (std::set<pid_t>{20}));
    EXPECT_EQ(model->selectedMemory(), 2000u * 1024);

    model->toggle(apps[1]);
    running.apps = {app(10, "A"), app(20, "B"), app(30, "C")};
    model->refreshApps();
    ASSERT_TRUE(waitForAppsPass(*model));
    const std::vector<pid_t> ids{apps[0].id, apps[1].id, apps[2].id};
    for (const auto& [count, word] : {std::pair{0u, "apps"}, {1u, "app"}, {3u, "apps"}}) {
        running.quitRequests.clear();
        for (std::size_t i = 0; i < count; ++i)
            model->toggle(apps[i]);
        model->quitSelected();
        EXPECT_EQ(running.quitRequests, std::vector<pid_t>(ids.begin(), ids.begin() + count));
        EXPECT_TRUE(model->selectedApps().empty());
        const QString text = QString("Asked %1 %2 to quit. Any with unsaved work will ask you first.");
        EXPECT_EQ(*model->notice(), (Notice{model->notice()->id, text.arg(count).arg(word), false}));
    }
    EXPECT_TRUE(running.forceQuitRequests.empty());

    // One app at a time: deselected at once, before it has gone, and without a notice.
    const std::optional<Notice> notice = model->notice();
    running.quitRequests.clear();
    for (const bool force : {false, true}) {
        model->toggle(apps[force]);
        model->quit(apps[force], force);
        EXPECT_TRUE(model->selectedApps().empty());
    }
    EXPECT_EQ(running.quitRequests, std::vector<pid_t>{apps[0].id});
    EXPECT_EQ(running.forceQuitRequests, std::vector<pid_t>{apps[1].id});
    EXPECT_EQ(model->notice(), notice);
    ASSERT_TRUE(waitForAppsPass(*model));
    EXPECT_EQ(model->apps().size(), 2u); // the forced one is gone; the polite one may ask first

    // Stopping a developer process signals it and says so, or says why not; a refresh follows either way.
    pid_t child = 0;
    char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("1000"), nullptr};
    ASSERT_EQ(::posix_spawnp(&child, "sleep", nullptr, nullptr, argv, environ), 0);
    model->setNotice(std::nullopt);
    model->stop(DevProcess{child, "sleep", "1000", std::nullopt, 25 << 20});
    if (!model->notice() || model->notice()->isError) ::kill(child, SIGKILL); // never leave it behind
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    ASSERT_TRUE(model->notice());
    EXPECT_EQ(*model->notice(),
              (Notice{model->notice()->id, "Stopped sleep (1000) and freed about 25 MB.", false}));
    EXPECT_TRUE(waitForAppsPass(*model));

    // One above the kernel's highest identifier: no process can have it.
    std::int64_t max = 4194304;
    std::ifstream("/proc/sys/kernel/pid_max") >> max;
    model->stop(DevProcess{static_cast<pid_t>(max + 1), "node", "server.js", "~/site", 30 << 20});
    const QString text = "Couldn't stop node — it may belong to another user or have already exited.";
    EXPECT_EQ(*model->notice(), (Notice{model->notice()->id, text, true}));
    EXPECT_TRUE(waitForAppsPass(*model));
}

// The purge itself is the system actions' test; here it drops the fixture's cache, or does not.
TEST_F(MemoryModelTest, FreeUpRamPurgesOnceAtATimeAndReportsTheOutcome) {
    // No notice: the earlier notice stays.
    const std::tuple<std::uint64_t, Outcome, std::optional<QString>> rows[] = {
        {3 * kGiB / 2, Outcome::done(), "Cleared 2.5 GB of inactive cache. 10 GB is now available."},
        {5 * kGiB, Outcome::done(), "Cleared Zero KB of inactive cache. 10 GB is now available."},
        {4 * kGiB, Outcome::cancelled(), std::nullopt},
        {4 * kGiB, Outcome::failed("Not authorized"), "Couldn't free memory. Not authorized"},
    };
    for (const auto& [cachedAfterKiB, outcome, notice] : rows) {
        SCOPED_TRACE(cachedAfterKiB);
        proc.memInfo(16 * kGiB, 6 * kGiB, 4 * kGiB);
        std::atomic<int> runs = 0;
        auto s = services();
        s.purge = [&] {
            ++runs;
            proc.memInfo(16 * kGiB, 6 * kGiB, cachedAfterKiB);
            return outcome;
        };
        const auto model = start(std::move(s));
        const Notice earlier = Notice::make("earlier", false);
        model->setNotice(earlier);
        QSignalSpy purging(model.get(), &MemoryModel::isPurgingChanged);
        model->freeUpRAM();
        model->freeUpRAM();
        EXPECT_TRUE(model->isPurging());
        ASSERT_TRUE(waitUntil(purging, [&] { return !model->isPurging(); }));
        EXPECT_EQ(purging.count(), 2);
        EXPECT_EQ(runs, 1);
        const Notice expected{notice ? model->notice()->id : earlier.id, notice.value_or(earlier.text),
                              outcome.isFailed()};
        EXPECT_EQ(model->notice(), expected);
        EXPECT_EQ(model->notice()->id == earlier.id, !notice);
    }
}

TEST_F(MemoryModelTest, DestroyedWithAnAppsPassAndAPurgeInFlight) {
    std::promise<void> release;
    const std::shared_future<void> gate = release.get_future().share();
    // Every utility thread waits at the gate, so the model's apps pass is queued behind them.
    for (int i = 0; i < pools.utility().maxThreadCount(); ++i)
        pools.utility().start([gate] { gate.wait(); });
    auto s = services();
    s.purge = [gate] {
        gate.wait();
        return Outcome::done();
    };
    auto model = std::make_unique<MemoryModel>(std::move(s), pools);
    model->freeUpRAM();
    model->refreshApps();
    model.reset();
    release.set_value();
    pools.utility().waitForDone();
    pools.userInitiated().waitForDone();
    // Whatever the workers finished with is delivered now, to nobody.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
} // namespace brisklet
