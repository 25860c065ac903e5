// The node_modules page in its states: before and during a search, nothing found, results with a
// selection, a notice after a deletion, and the question before deleting.

#include "Capture.h"
#include "Scene.h"
#include "SnapshotFixture.h"
#include "Staging.h"

#include "ui/MainWindow.h"
#include "ui/pages/NodeModulesView.h"

#include <QMessageBox>
#include <QPointer>

#include <memory>

namespace brisklet::snapshots {

namespace {

// A window on the node_modules page over `storage`, the page's "~" at the fixture home. Shown only
// when a list is held or a search runs, as showing the page without a list starts the search.
struct NodeWindow {
    std::unique_ptr<StorageModel> ownStorage;
    std::unique_ptr<ui::MainWindow> window;
    ui::NodeModulesView* page = nullptr;

    NodeWindow(SnapshotFixture& f, StorageModel& storage, bool show) {
        window = std::make_unique<ui::MainWindow>(storage, f.memory(), f.workspace());
        window->setPage(ui::Page::nodeModules);
        page = window->findChild<ui::NodeModulesView*>();
        page->setHome(f.home());
        if (show) window->show();
        window->resize(ui::MainWindow::openingSize);
        settle(*window);
    }

    ~NodeWindow() {
        // The window reads the model to its end, so it goes first.
        window.reset();
    }

    QImage render(qreal ratio) { return renderWidget(*window, ratio); }
};

// The results as a user leaves them after "Select untouched for 30+ days": the two older projects.
std::shared_ptr<NodeWindow> results(SnapshotFixture& f) {
    f.storage().selectStaleNodeModules(30);
    return std::make_shared<NodeWindow>(f, f.storage(), true);
}

std::function<void()> selectNone(SnapshotFixture& f) {
    return [&f] { f.storage().setNodeSelection({}); };
}

const SceneGroup nodeModulesScenes([](std::vector<Scene>& list) {
    list.push_back({QStringLiteral("node-modules-not-scanned"), [](SnapshotFixture& f) {
                        auto storage = f.freshStorage();
                        auto shown = std::make_shared<NodeWindow>(f, *storage, false);
                        shown->ownStorage = std::move(storage);
                        return Staged{[shown](qreal ratio) { return shown->render(ratio); }};
                    }});

    list.push_back({QStringLiteral("node-modules-scanning"), [](SnapshotFixture& f) {
                        auto storage = f.freshStorage();
                        auto gate = std::make_shared<PoolGate>(f.pools().userInitiated());
                        storage->scanNodeModules();
                        auto shown = std::make_shared<NodeWindow>(f, *storage, true);
                        StorageModel* model = storage.get();
                        shown->ownStorage = std::move(storage);
                        return Staged{[shown](qreal ratio) { return shown->render(ratio); },
                                      [gate, shown, model] {
                                          gate->open();
                                          SnapshotFixture::waitUntil("the node_modules search",
                                                                     [model] { return !model->isScanningNode(); });
                                      }};
                    }});

    // A folder without any project in it; the root goes back to the default folder afterwards, as
    // the choice is remembered for every model made later.
    list.push_back({QStringLiteral("node-modules-nothing-found"), [](SnapshotFixture& f) {
                        auto storage = f.freshStorage();
                        const std::filesystem::path before = storage->nodeRoot();
                        storage->setNodeRoot(f.home() / "Documents");
                        SnapshotFixture::waitUntil("the empty search", [&] { return !storage->isScanningNode(); });
                        auto shown = std::make_shared<NodeWindow>(f, *storage, true);
                        StorageModel* model = storage.get();
                        shown->ownStorage = std::move(storage);
                        return Staged{[shown](qreal ratio) { return shown->render(ratio); },
                                      // Holds the window and its model until the root is back.
                                      [shown, model, before] {
                                          model->setNodeRoot(before);
                                          SnapshotFixture::waitUntil("the search of the default folder",
                                                                     [model] { return !model->isScanningNode(); });
                                      }};
                    }});

    list.push_back({QStringLiteral("node-modules-results"), [](SnapshotFixture& f) {
                        auto shown = results(f);
                        return Staged{[shown](qreal ratio) { return shown->render(ratio); }, selectNone(f)};
                    }});

    list.push_back({QStringLiteral("node-modules-notice"), [](SnapshotFixture& f) {
                        f.storage().setNodeNotice(Notice::make(
                            StorageModel::summary(5'300'000, 1) +
                                QStringLiteral(" Run npm install in a project to bring its packages back."),
                            false));
                        auto shown = std::make_shared<NodeWindow>(f, f.storage(), true);
                        return Staged{[shown](qreal ratio) { return shown->render(ratio); },
                                      [&f] { f.storage().setNodeNotice(std::nullopt); }};
                    }});

    list.push_back({QStringLiteral("node-modules-confirm-delete"), [](SnapshotFixture& f) {
                        auto shown = results(f);
                        QPointer<QMessageBox> box = shown->page->askDelete();
                        settle(*box);
                        auto undo = selectNone(f);
                        return Staged{[shown, box](qreal ratio) { return withQuestion(shown->render(ratio), *box, ratio); },
                                      [box, undo] {
                                          if (box) box->reject();
                                          undo();
                                      }};
                    }});
});

} // namespace

} // namespace brisklet::snapshots
