// The main window on each of its pages, over the settled fixture, and before anything was scanned.

#include "Capture.h"
#include "Scene.h"
#include "SnapshotFixture.h"

#include "ui/MainWindow.h"
#include "ui/Page.h"

#include <memory>

namespace brisklet::snapshots {

namespace {

// File names spell pages in words, as people type them.
QString fileName(ui::Page page) {
    switch (page) {
    case ui::Page::overview: return QStringLiteral("overview");
    case ui::Page::junk: return QStringLiteral("junk");
    case ui::Page::nodeModules: return QStringLiteral("node-modules");
    case ui::Page::largeFiles: return QStringLiteral("large-files");
    case ui::Page::memory: return QStringLiteral("memory");
    }
    return {};
}

// A window at its opening size showing `page`. Shown, as the user sees it, so that its views lay
// out their items; the junk it would scan on showing is already held.
std::unique_ptr<ui::MainWindow> window(SnapshotFixture& f, StorageModel& storage, ui::Page page, bool show) {
    auto result = std::make_unique<ui::MainWindow>(storage, f.memory(), f.workspace());
    result->setPage(page);
    if (show) result->show();
    // A top-level may be fitted to the small offscreen screen; the pictures are of the real size.
    result->resize(ui::MainWindow::openingSize);
    settle(*result);
    return result;
}

// A window over a storage model of its own; the window goes first.
struct OwnStorage {
    std::unique_ptr<StorageModel> storage;
    std::unique_ptr<ui::MainWindow> window;
};

const SceneGroup pages([](std::vector<Scene>& list) {
    // Pages with scenes of their own are pictured there; the others show here as the window opens
    // them.
    for (const ui::Page page : {ui::Page::memory}) {
        list.push_back({fileName(page) + QStringLiteral("-default"), [page](SnapshotFixture& f) {
                            std::shared_ptr<ui::MainWindow> shown = window(f, f.storage(), page, true);
                            return Staged{[shown](qreal ratio) { return renderWidget(*shown, ratio); }};
                        }});
    }
    // Before the first scan: no junk badge. Never shown, since showing starts the scan.
    list.push_back({QStringLiteral("window-not-scanned"), [](SnapshotFixture& f) {
                        auto own = std::make_shared<OwnStorage>();
                        own->storage = f.freshStorage();
                        own->window = window(f, *own->storage, ui::Page::overview, false);
                        return Staged{[own](qreal ratio) { return renderWidget(*own->window, ratio); }};
                    }});
});

} // namespace

} // namespace brisklet::snapshots
