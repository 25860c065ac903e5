// The Large Files page in its states: before and during a search, nothing found, results with a
// selection, a notice, and the question it asks before moving files to the Trash.

#include "Capture.h"
#include "Scene.h"
#include "SnapshotFixture.h"
#include "Staging.h"

#include "core/fs/Bytes.h"
#include "ui/MainWindow.h"
#include "ui/pages/LargeFilesView.h"

#include <QMessageBox>
#include <QPointer>

#include <memory>

namespace brisklet::snapshots {

namespace {

// A window on the large files page over `storage`, the page's "~" at the fixture home. Shown only
// when a list is already held or a search is meant to start, as showing the page without a list
// starts one.
struct LargeFilesWindow {
    std::unique_ptr<StorageModel> ownStorage;
    std::unique_ptr<ui::MainWindow> window;
    ui::LargeFilesView* page = nullptr;

    LargeFilesWindow(SnapshotFixture& f, StorageModel& storage, bool show) {
        window = std::make_unique<ui::MainWindow>(storage, f.memory(), f.workspace());
        window->setPage(ui::Page::largeFiles);
        page = window->findChild<ui::LargeFilesView*>();
        page->setHome(f.home());
        if (show) window->show();
        window->resize(ui::MainWindow::openingSize);
        settle(*window);
    }

    ~LargeFilesWindow() {
        // The window reads the model to its end, so it goes first.
        window.reset();
    }

    QImage render(qreal ratio) { return renderWidget(*window, ratio); }
};

Renderer drawn(const std::shared_ptr<LargeFilesWindow>& shown) {
    return [shown](qreal ratio) { return shown->render(ratio); };
}

// The largest file and the third selected, as a user picks what to let go of.
std::set<std::filesystem::path> selectTwo(StorageModel& storage) {
    std::set<std::filesystem::path> chosen;
    const auto& files = *storage.largeFiles();
    for (std::size_t i = 0; i < files.size() && i < 3; i += 2)
        chosen.insert(files[i].url);
    storage.setLargeSelection(chosen);
    return chosen;
}

const SceneGroup largeFilesScenes([](std::vector<Scene>& list) {
    list.push_back({QStringLiteral("large-files-not-scanned"), [](SnapshotFixture& f) {
                        auto storage = f.freshStorage();
                        auto shown = std::make_shared<LargeFilesWindow>(f, *storage, false);
                        shown->ownStorage = std::move(storage);
                        return Staged{drawn(shown)};
                    }});

    // Shown with no list: the page starts its search, which the held pool keeps under way.
    list.push_back({QStringLiteral("large-files-scanning"), [](SnapshotFixture& f) {
                        auto storage = f.freshStorage();
                        StorageModel* model = storage.get();
                        auto gate = std::make_shared<PoolGate>(f.pools().userInitiated());
                        auto shown = std::make_shared<LargeFilesWindow>(f, *storage, true);
                        shown->ownStorage = std::move(storage);
                        return Staged{drawn(shown), [gate, shown, model] {
                                          gate->open();
                                          waitForScans(*model);
                                      }};
                    }});

    // Nothing in the fixture home reaches 5 GB.
    list.push_back({QStringLiteral("large-files-nothing-found"), [](SnapshotFixture& f) {
                        auto storage = f.freshStorage();
                        storage->setLargeMinSize(5'000'000'000);
                        storage->scanLargeFiles();
                        waitForScans(*storage);
                        auto shown = std::make_shared<LargeFilesWindow>(f, *storage, true);
                        shown->ownStorage = std::move(storage);
                        return Staged{drawn(shown)};
                    }});

    list.push_back({QStringLiteral("large-files-results"), [](SnapshotFixture& f) {
                        selectTwo(f.storage());
                        auto shown = std::make_shared<LargeFilesWindow>(f, f.storage(), true);
                        return Staged{drawn(shown), [&f] { f.storage().setLargeSelection({}); }};
                    }});

    // What a move of two files leaves: they are gone from the list and the notice says so.
    list.push_back({QStringLiteral("large-files-notice"), [](SnapshotFixture& f) {
                        StorageModel& storage = f.storage();
                        const auto& files = *storage.largeFiles();
                        std::int64_t total = 0;
                        for (std::size_t i = 0; i < files.size() && i < 3; i += 2)
                            total += files[i].size;
                        storage.setLargeNotice(Notice::make(
                            QStringLiteral("Moved 2 items (") + QString::fromStdString(Bytes::disk(total)) +
                                QStringLiteral(") to the Trash. Empty the Trash to get the space back."),
                            false));
                        auto shown = std::make_shared<LargeFilesWindow>(f, storage, true);
                        return Staged{drawn(shown), [&f] { f.storage().setLargeNotice(std::nullopt); }};
                    }});

    list.push_back({QStringLiteral("large-files-confirm-trash"), [](SnapshotFixture& f) {
                        selectTwo(f.storage());
                        auto shown = std::make_shared<LargeFilesWindow>(f, f.storage(), true);
                        QPointer<QMessageBox> box = shown->page->askTrash();
                        settle(*box);
                        return Staged{[shown, box](qreal ratio) {
                                          return withQuestion(shown->render(ratio), *box, ratio);
                                      },
                                      [&f, box] {
                                          if (box) box->reject();
                                          f.storage().setLargeSelection({});
                                      }};
                    }});
});

} // namespace

} // namespace brisklet::snapshots
