// One apps pass of the memory model over a generated proc tree of 300 processes: sampling the
// table, listing the desktop apps, grouping, and reading the developer candidates' command lines
// and working directories. The model does this every four seconds, so it must stay cheap.
#include "app/AppGrouping.h"
#include "app/AppUsage.h"
#include "core/junk/Locations.h"
#include "core/proc/ProcessReader.h"
#include "host/Fakes.h"
#include "host/LiveRunningApps.h"
#include "support/ProcTree.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

namespace fs = std::filesystem;
using brisklet::test::FixtureProcess;

constexpr int kProcesses = 300;
constexpr pid_t kOwnPid = 5000;

std::string appUnit(const std::string& id, int instance) {
    return "0::/user.slice/user-1000.slice/user@1000.service/app.slice/app-gnome-" + id + "-" +
           std::to_string(instance) + ".scope\n";
}

constexpr const char* kSessionScope = "0::/user.slice/user-1000.slice/session-2.scope\n";

// A desktop session: six apps of eight processes each (a main process, renderers it started and one
// helper the system started from inside its folder), a dozen runtimes from a terminal, and plain
// processes for the rest, with the desktop entries in a data folder of its own.
class GeneratedSession {
public:
    GeneratedSession() {
        m_locations.dataDirs = {m_tree.path("share")};
        pid_t pid = 1000;
        int made = 0;
        const auto add = [&](FixtureProcess p) {
            m_proc.add(p);
            ++made;
        };
        for (int a = 0; a < 6; ++a) {
            const std::string id = "org.example.App" + std::to_string(a);
            m_tree.text("share/applications/" + id + ".desktop",
                        "[Desktop Entry]\nType=Application\nName=App " + std::to_string(a) + "\nIcon=" + id +
                            "\n");
            const std::string folder = "/opt/app" + std::to_string(a);
            const pid_t main = ++pid;
            add({main, 1, "app", 200'000, folder + "/app", {folder + "/app"}, {}, appUnit(id, a), 100u + a});
            for (int r = 0; r < 6; ++r)
                add({++pid,
                     main,
                     "renderer",
                     60'000,
                     folder + "/app",
                     {folder + "/app", "--type=renderer"},
                     {},
                     appUnit(id, a),
                     200u + a});
            add({++pid,
                 1,
                 "helper",
                 8'000,
                 folder + "/libexec/helper",
                 {folder + "/libexec/helper"},
                 {},
                 kSessionScope,
                 300u + a});
        }
        const char* runtimes[] = {"node", "python3.12", "node", "bun", "ruby", "postgres"};
        for (int d = 0; d < 12; ++d) {
            const std::string runtime = runtimes[d % 6];
            add({++pid,
                 900,
                 runtime,
                 40'000u + 1000u * d,
                 "/usr/bin/" + runtime,
                 {"/usr/bin/" + runtime, m_tree.path("home/src/site/server.js").string(), "--port",
                  std::to_string(3000 + d)},
                 m_tree.path("home/src/site").string(),
                 kSessionScope,
                 400u + d});
        }
        add({kOwnPid,
             1,
             "brisklet",
             90'000,
             "/usr/bin/brisklet",
             {"/usr/bin/brisklet"},
             {},
             appUnit("brisklet", 1),
             50});
        while (made < kProcesses)
            add({++pid,
                 1,
                 "daemon",
                 1'000u + 37u * static_cast<unsigned>(made % 50),
                 "/usr/libexec/daemon",
                 {"/usr/libexec/daemon", "--system"},
                 {},
                 kSessionScope,
                 10u + made});
        m_proc.memInfo(16 << 20, 6 << 20, 4 << 20);
    }

    fs::path proc() const { return m_proc.root(); }
    fs::path home() const { return m_tree.path("home"); }
    const brisklet::Locations& locations() const { return m_locations; }

private:
    brisklet::test::TempTree m_tree;
    brisklet::test::ProcTree m_proc{m_tree};
    brisklet::Locations m_locations = brisklet::Locations::forHome(m_tree.path("home"), m_tree.path("tmp"),
                                                                   brisklet::JunkLayout::freedesktop);
};

const GeneratedSession& session() {
    static const GeneratedSession s;
    return s;
}

void BM_AppsPass(benchmark::State& state) {
    const GeneratedSession& s = session();
    brisklet::FakeWindowList windows;
    brisklet::LiveRunningApps runningApps(s.locations(), windows, kOwnPid, s.proc(), "");
    for (auto _ : state) {
        const brisklet::RunningApps::Listing listing = runningApps.listing();
        const std::vector<brisklet::ProcessSample> samples = brisklet::ProcessReader::sample(s.proc());
        const std::vector<brisklet::RunningApp> apps = listing();
        const brisklet::AppGrouping::Grouping grouping = brisklet::AppGrouping::group(apps, samples, kOwnPid);
        const std::vector<brisklet::DevProcess> dev =
            brisklet::readDevProcesses(grouping.candidates, s.proc(), s.home());
        if (grouping.apps.size() != 6 || dev.size() != 12 || grouping.background.size() != 10) {
            state.SkipWithError("the generated session was not grouped as built");
            break;
        }
        benchmark::DoNotOptimize(dev.data());
    }
}
BENCHMARK(BM_AppsPass)->Unit(benchmark::kMillisecond);

// The three parts that read the proc tree, one by one.
void BM_SampleOnly(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(brisklet::ProcessReader::sample(session().proc()).data());
}
BENCHMARK(BM_SampleOnly)->Unit(benchmark::kMillisecond);

void BM_ListingOnly(benchmark::State& state) {
    const GeneratedSession& s = session();
    brisklet::FakeWindowList windows;
    brisklet::LiveRunningApps runningApps(s.locations(), windows, kOwnPid, s.proc(), "");
    for (auto _ : state)
        benchmark::DoNotOptimize(runningApps.list().data());
}
BENCHMARK(BM_ListingOnly)->Unit(benchmark::kMillisecond);

void BM_DetailsOnly(benchmark::State& state) {
    const GeneratedSession& s = session();
    const auto grouping =
        brisklet::AppGrouping::group({}, brisklet::ProcessReader::sample(s.proc()), kOwnPid);
    for (auto _ : state)
        benchmark::DoNotOptimize(brisklet::readDevProcesses(grouping.candidates, s.proc(), s.home()).data());
}
BENCHMARK(BM_DetailsOnly)->Unit(benchmark::kMillisecond);

// The grouping alone, on values read once: the part that runs on the main thread.
void BM_Grouping(benchmark::State& state) {
    const GeneratedSession& s = session();
    brisklet::FakeWindowList windows;
    brisklet::LiveRunningApps runningApps(s.locations(), windows, kOwnPid, s.proc(), "");
    const std::vector<brisklet::ProcessSample> samples = brisklet::ProcessReader::sample(s.proc());
    const std::vector<brisklet::RunningApp> apps = runningApps.list();
    for (auto _ : state) {
        const brisklet::AppGrouping::Grouping grouping = brisklet::AppGrouping::group(apps, samples, kOwnPid);
        benchmark::DoNotOptimize(grouping.apps.data());
    }
}
BENCHMARK(BM_Grouping)->Unit(benchmark::kMicrosecond);

} // namespace
