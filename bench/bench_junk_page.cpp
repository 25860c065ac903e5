// The System Junk page with 5,000 items in one open category: how long it takes to build and show
// it up to its first picture, and how long a toggle takes from the key press to the repainted rows.
// The items come from the real storage model scanning a fixture home with 5,000 small cache folders.
#include "app/MemoryModel.h"
#include "app/StorageModel.h"
#include "app/WorkerPools.h"
#include "core/Locations.h"
#include "host/Fakes.h"
#include "support/TempTree.h"
#include "ui/pages/JunkTreeModel.h"
#include "ui/pages/JunkTreeView.h"
#include "ui/pages/JunkView.h"

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

constexpr int kItems = 5000;

QApplication& application() {
    static int argc = 1;
    static char name[] = "bench_junk_page";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// A home whose cache folder holds kItems folders just above the scanner's 50,000-byte floor, and a
// storage model that has scanned it; the memory model is only there because every page gets one.
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
        for (int i = 0; i < kItems; ++i)
            tree.file("home/.cache/app-" + std::to_string(i) + "/blob", 52'000 + static_cast<std::size_t>(i));
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
        storage->scanJunk({JunkKind::appCaches});
        while (!storage->scanningJunk().empty())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        if (storage->junk().at(JunkKind::appCaches).items.size() != kItems)
            throw std::runtime_error("the fixture home did not scan to 5,000 items");
    }

    std::unique_ptr<ui::JunkView> openPage() {
        auto page = std::make_unique<ui::JunkView>(ui::PageContext{*storage, *memory, workspace, {}}, home);
        page->resize(900, 700);
        page->setExpanded(JunkKind::appCaches, true);
        page->show();
        return page;
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// Built, shown and painted once, as the user first opens the page with the group open.
void BM_ShowJunkPage(benchmark::State& state) {
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
BENCHMARK(BM_ShowJunkPage)->Unit(benchmark::kMillisecond);

// Space on an item row, through the model's selection change, to the repainted window.
void BM_ToggleItem(benchmark::State& state) {
    Fixture& f = fixture();
    auto page = f.openPage();
    ui::JunkTreeView& list = *page->list();
    list.setFocus();
    list.setCurrentIndex(page->model()->index(3, 0, page->model()->categoryIndex(JunkKind::appCaches)));
    QApplication::processEvents();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(&list, &press);
        // The repaint the toggle scheduled is done here.
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ToggleItem)->Unit(benchmark::kMillisecond);

} // namespace
