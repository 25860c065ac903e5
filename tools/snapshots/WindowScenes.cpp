// The main window before anything was scanned; each page has its own scenes.

#include "Capture.h"
#include "Scene.h"
#include "SnapshotFixture.h"

#include "ui/MainWindow.h"

#include <memory>

namespace brisklet::snapshots {

namespace {

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
