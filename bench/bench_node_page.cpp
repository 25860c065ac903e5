// The node_modules page with 2,000 folders: how long it takes to build and show the results up to
// their first picture, and how long a toggle takes from the key press to the repainted rows. The
// folders come from the real storage model searching a fixture home with 2,000 small projects.
#include "app/MemoryModel.h"
#include "app/StorageModel.h"
#include "app/WorkerPools.h"
#include "core/Locations.h"
#include "host/Fakes.h"
#include "support/TempTree.h"
#include "ui/pages/NodeModulesListModel.h"
#include "ui/pages/NodeModulesListView.h"
#include "ui/pages/NodeModulesView.h"

#include <QApplication>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using namespace brisklet;
using namespace std::chrono_literals;

constexpr int kFolders = 2000;

QApplication& application() {
    static int argc = 1;
    static char name[] = "bench_node_page";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// A Desktop of kFolders projects, each with a manifest and one small dependency, and a storage
// model that has searched it; the memory model is only there because every page gets one.
struct Fixture {
    test::TempTree tree;
    std::filesystem::path home = tree.dir("home");
    WorkerPools pools;
    FakeRunningApps running;
    FakeWorkspace workspace;
    std::unique_ptr<StorageModel> storage;
    std::unique_ptr<MemoryModel> memory;

    Fixture() {
        application();
        for (int i = 0; i < kFolders; ++i) {
            const std::string project = "home/Desktop/project-" + std::to_string(i);
            tree.text(project + "/package.json", "{}\n");
            tree.file(project + "/node_modules/lib/index.js", 4'000 + static_cast<std::size_t>(i));
        }
        tree.text("proc/meminfo", "MemTotal: 16000000 kB\nMemFree: 8000000 kB\nMemAvailable: 9000000 kB\n");
        StorageModel::Services services;
        const Locations locations = Locations::forHome(home, tree.dir("tmp"), JunkLayout::freedesktop);
        services.locations = [locations] { return locations; };
        services.settingsFile = QString::fromStdString(tree.path("settings.ini").native());
        storage = std::make_unique<StorageModel>(services, pools);
        memory = std::make_unique<MemoryModel>(MemoryModel::Services{.runningApps = running,
                                                                     .workspace = workspace,
                                                                     .procRoot = tree.path("proc"),
                                                                     .sysRoot = tree.path("sys"),
                                                                     .home = home,
                                                                     .statsInterval = 1h},
                                               pools);
        storage->scanNodeModules();
        while (storage->isScanningNode())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        if (storage->nodeFolders()->size() != kFolders)
            throw std::runtime_error("the fixture home did not search to 2,000 folders");
    }

    std::unique_ptr<ui::NodeModulesView> openPage() {
        auto page = std::make_unique<ui::NodeModulesView>(ui::PageContext{*storage, *memory, workspace, {}}, home);
        page->resize(900, 700);
        page->show();
        return page;
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// Built, shown and painted once, as the user first opens the page on a held list.
void BM_ShowNodePage(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        auto page = f.openPage();
        const QPixmap picture = page->grab();
        benchmark::DoNotOptimize(picture.cacheKey());
        state.PauseTiming();
        page.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ShowNodePage)->Unit(benchmark::kMillisecond);

// Space on a row, through the model's selection change, to the repainted window.
void BM_ToggleFolder(benchmark::State& state) {
    Fixture& f = fixture();
    auto page = f.openPage();
    ui::NodeModulesListView& list = *page->list();
    list.setFocus();
    list.setCurrentIndex(page->model()->index(3));
    QApplication::processEvents();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(&list, &press);
        // The repaint the toggle scheduled is done here.
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ToggleFolder)->Unit(benchmark::kMillisecond);

} // namespace
