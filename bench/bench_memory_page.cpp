// The memory page with 100 running apps of four processes each, 20 runtimes and the background
// processes: how long it takes to build and show up to its first picture, and what an apps pass
// costs with the page shown against the same pass with no page. Each pass finds one app grown past
// the others, so rows move and figures change as they do on a busy machine.
#include "bench/PageBench.h"
#include "support/ProcTree.h"
#include "ui/pages/AppListModel.h"
#include "ui/pages/MemoryAppsCard.h"
#include "ui/pages/MemoryView.h"

#include <QEventLoop>

#include <filesystem>
#include <stdexcept>

namespace {

using namespace brisklet;

constexpr int kApps = 100;
constexpr std::uint64_t kMiB = 1024;

struct Fixture : bench::PageFixture {
    test::ProcTree proc{tree};
    int grown = 0;

    Fixture() : PageFixture("bench_memory_page", [](test::TempTree&) {}) {
        proc.memInfo(32 * 1024 * kMiB, 12 * 1024 * kMiB, 8 * 1024 * kMiB);
        for (int i = 0; i < kApps; ++i) {
            const pid_t pid = 10'000 + 10 * i;
            const std::string bundle = "/opt/app" + std::to_string(i);
            proc.add({.pid = pid, .name = "app", .footprintKiB = (400 - 3 * i) * kMiB, .exe = bundle + "/app"});
            for (pid_t helper = pid + 1; helper < pid + 4; ++helper)
                proc.add({.pid = helper, .parent = pid, .name = "helper", .footprintKiB = 40 * kMiB,
                          .exe = bundle + "/helper"});
            running.apps.push_back(RunningApp{.pid = pid,
                                              .pids = {pid},
                                              .desktopId = "app" + std::to_string(i),
                                              .name = "App " + std::to_string(i),
                                              .iconName = {},
                                              .executable = bundle + "/app",
                                              .bundle = bundle,
                                              .hasWindows = true});
        }
        for (int i = 0; i < 20; ++i)
            proc.add({.pid = 5'000 + i, .name = "node", .footprintKiB = (100 + i) * kMiB,
                      .arguments = {"node", "server" + std::to_string(i) + ".js"}, .cwd = home.string()});
        for (int i = 0; i < 30; ++i)
            proc.add({.pid = 7'000 + i, .name = "service" + std::to_string(i), .footprintKiB = (20 + i) * kMiB});
        pass();
        if (memory->apps().size() != kApps) throw std::runtime_error("the fixture did not list 100 apps");
    }

    // One app grows past all others, then an apps pass runs to its end.
    void pass() {
        const pid_t pid = 10'000 + 10 * (grown++ % kApps);
        std::filesystem::remove_all(proc.root() / std::to_string(pid));
        proc.add({.pid = pid, .name = "app", .footprintKiB = (500 + grown) * kMiB,
                  .exe = "/opt/app" + std::to_string((pid - 10'000) / 10) + "/app"});
        QEventLoop loop;
        const auto done = QObject::connect(memory.get(), &MemoryModel::backgroundChanged, &loop, &QEventLoop::quit);
        memory->refreshApps();
        loop.exec();
        QObject::disconnect(done);
    }

    std::unique_ptr<ui::MemoryView> openPage() {
        auto page = std::make_unique<ui::MemoryView>(context());
        page->resize(1000, 780);
        page->show();
        return page;
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_ShowMemoryPage(benchmark::State& state) {
    Fixture& f = fixture();
    bench::showPage(state, [&f] { return f.openPage(); });
}
BENCHMARK(BM_ShowMemoryPage)->Unit(benchmark::kMillisecond);

// Reading /proc and grouping, with nobody drawing the result.
void BM_AppsPassWithoutPage(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state)
        f.pass();
}
BENCHMARK(BM_AppsPassWithoutPage)->Unit(benchmark::kMillisecond);

// The same pass with the page shown, up to the repainted window: the difference is the page's share.
void BM_AppsPassWithPage(benchmark::State& state) {
    Fixture& f = fixture();
    auto page = f.openPage();
    QApplication::processEvents();
    for (auto _ : state) {
        f.pass();
        const QPixmap picture = page->grab();
        benchmark::DoNotOptimize(picture.cacheKey());
    }
    if (page->apps()->model()->rowCount() != kApps) state.SkipWithError("the page lost rows");
}
BENCHMARK(BM_AppsPassWithPage)->Unit(benchmark::kMillisecond);

} // namespace
