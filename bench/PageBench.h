#pragma once

// What the page benchmarks share: one offscreen application, a fixture home and the models every
// page is built with, and the two measurements each list page gets (first picture, one toggle).
#include "app/MemoryModel.h"
#include "app/StorageModel.h"
#include "app/WorkerPools.h"
#include "core/junk/Locations.h"
#include "host/Fakes.h"
#include "support/TempTree.h"
#include "ui/pages/PageContext.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace brisklet::bench {

inline QApplication& application(const char* program) {
    static std::string name = program;
    static int argc = 1;
    static char* argv[] = {name.data(), nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// A home with what `populate` writes into the tree, and the models over it; the memory model is
// only there because every page gets one. The page's own benchmark has the storage model search.
struct PageFixture {
    test::TempTree tree;
    std::filesystem::path home = tree.dir("home");
    WorkerPools pools;
    FakeRunningApps running;
    FakeWorkspace workspace;
    std::unique_ptr<StorageModel> storage;
    std::unique_ptr<MemoryModel> memory;

    PageFixture(const char* program, const std::function<void(test::TempTree&)>& populate) {
        using namespace std::chrono_literals;
        application(program);
        populate(tree);
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
    }

    ui::PageContext context() { return ui::PageContext{*storage, *memory, workspace, {}}; }
};

// Built, shown and painted once, as the user first opens the page; `open` returns the shown page.
template <typename Open>
void showPage(benchmark::State& state, Open open) {
    for (auto _ : state) {
        auto page = open();
        const QPixmap picture = page->grab();
        benchmark::DoNotOptimize(picture.cacheKey());
        state.PauseTiming();
        page.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

// Space on the list's current row, through the model's selection change, to the repainted window.
inline void toggleCurrentRow(benchmark::State& state, QWidget& list) {
    QApplication::processEvents();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(&list, &press);
        // The repaint the toggle scheduled is done here.
        QApplication::processEvents();
    }
}

} // namespace brisklet::bench
