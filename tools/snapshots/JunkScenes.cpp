// The System Junk page in its main states: before and during a scan, with results, a notice, an
// unreadable and an empty Trash, and both questions it asks.

#include "Capture.h"
#include "Scene.h"
#include "SnapshotFixture.h"
#include "Staging.h"

#include "ui/MainWindow.h"
#include "ui/pages/JunkView.h"

#include <QMessageBox>
#include <QPointer>

#include <memory>

namespace brisklet::snapshots {

namespace {



// A window on the junk page over `storage`, the page's "~" at the fixture home. Shown only when
// junk is already held, as showing an empty-handed window starts the first scan.
struct JunkWindow {
    std::unique_ptr<StorageModel> ownStorage;
    std::unique_ptr<ui::MainWindow> window;
    ui::JunkView* page = nullptr;

    JunkWindow(SnapshotFixture& f, StorageModel& storage, bool show) {
        window = std::make_unique<ui::MainWindow>(storage, f.memory(), f.workspace());
        window->setPage(ui::Page::junk);
        page = window->findChild<ui::JunkView*>();
        page->setHome(f.home());
        if (show) window->show();
        window->resize(ui::MainWindow::openingSize);
        settle(*window);
    }

    ~JunkWindow() {
        // The window reads the model to its end, so it goes first.
        window.reset();
    }

    void open(std::initializer_list<JunkKind> groups) {
        for (const JunkKind kind : groups)
            page->setExpanded(kind, true);
        settle(*window);
    }

    QImage render(qreal ratio) { return renderWidget(*window, ratio); }
};

// The results as a user leaves them: the offered items selected, one app cache taken out, the app
// caches and the Trash open.
std::shared_ptr<JunkWindow> results(SnapshotFixture& f, std::vector<JunkItem>& toggled) {
    StorageModel& storage = f.storage();
    const auto& caches = storage.junk().at(JunkKind::appCaches).items;
    if (caches.size() > 1) {
        toggled.push_back(caches[1]);
        storage.toggle(caches[1]);
    }
    auto shown = std::make_shared<JunkWindow>(f, storage, true);
    shown->open({JunkKind::appCaches, JunkKind::trash});
    return shown;
}

std::function<void()> untoggle(SnapshotFixture& f, std::vector<JunkItem> toggled) {
    return [&f, toggled] {
        for (const JunkItem& item : toggled)
            f.storage().toggle(item);
    };
}

const SceneGroup junkScenes([](std::vector<Scene>& list) {
    list.push_back({QStringLiteral("junk-not-scanned"), [](SnapshotFixture& f) {
                        auto storage = f.freshStorage();
                        auto shown = std::make_shared<JunkWindow>(f, *storage, false);
                        shown->ownStorage = std::move(storage);
                        return Staged{[shown](qreal ratio) { return shown->render(ratio); }};
                    }});

    // The first scan under way: logs and developer caches are in, the other three still scanning.
    list.push_back({QStringLiteral("junk-scanning"), [](SnapshotFixture& f) {
                        auto storage = f.freshStorage();
                        storage->scanJunk({JunkKind::logs, JunkKind::devCaches});
                        waitForScans(*storage);
                        auto gate = std::make_shared<PoolGate>(f.pools().userInitiated());
                        storage->scanJunk({JunkKind::appCaches, JunkKind::xcode, JunkKind::trash});
                        auto shown = std::make_shared<JunkWindow>(f, *storage, true);
                        shown->open({JunkKind::devCaches});
                        StorageModel* model = storage.get();
                        shown->ownStorage = std::move(storage);
                        return Staged{[shown](qreal ratio) { return shown->render(ratio); },
                                      [gate, shown, model] {
                                          gate->open();
                                          waitForScans(*model);
                                      }};
                    }});

    list.push_back({QStringLiteral("junk-results"), [](SnapshotFixture& f) {
                        std::vector<JunkItem> toggled;
                        auto shown = results(f, toggled);
                        return Staged{[shown](qreal ratio) { return shown->render(ratio); },
                                      untoggle(f, toggled)};
                    }});

    list.push_back({QStringLiteral("junk-notice"), [](SnapshotFixture& f) {
                        f.storage().setJunkNotice(Notice::make(StorageModel::summary(8'200'000, 2), true));
                        auto shown = std::make_shared<JunkWindow>(f, f.storage(), true);
                        return Staged{[shown](qreal ratio) { return shown->render(ratio); },
                                      [&f] { f.storage().setJunkNotice(std::nullopt); }};
                    }});

    list.push_back({QStringLiteral("junk-access-denied"), [](SnapshotFixture& f) {
                        auto restore = replaceTrash(f, true);
                        auto shown = std::make_shared<JunkWindow>(f, f.storage(), true);
                        shown->open({JunkKind::trash});
                        return Staged{[shown](qreal ratio) { return shown->render(ratio); }, restore};
                    }});

    list.push_back({QStringLiteral("junk-empty-trash"), [](SnapshotFixture& f) {
                        auto restore = replaceTrash(f, false);
                        auto shown = std::make_shared<JunkWindow>(f, f.storage(), true);
                        shown->open({JunkKind::trash});
                        return Staged{[shown](qreal ratio) { return shown->render(ratio); }, restore};
                    }});

    list.push_back({QStringLiteral("junk-confirm-clean"), [](SnapshotFixture& f) {
                        std::vector<JunkItem> toggled;
                        auto shown = results(f, toggled);
                        QPointer<QMessageBox> box = shown->page->askClean();
                        settle(*box);
                        auto undo = untoggle(f, toggled);
                        return Staged{[shown, box](qreal ratio) { return withQuestion(shown->render(ratio), *box, ratio); },
                                      [box, undo] {
                                          if (box) box->reject();
                                          undo();
                                      }};
                    }});

    list.push_back({QStringLiteral("junk-confirm-trash"), [](SnapshotFixture& f) {
                        auto shown = std::make_shared<JunkWindow>(f, f.storage(), true);
                        shown->open({JunkKind::trash});
                        QPointer<QMessageBox> box = shown->page->askEmptyTrash();
                        settle(*box);
                        return Staged{[shown, box](qreal ratio) { return withQuestion(shown->render(ratio), *box, ratio); },
                                      [box] {
                                          if (box) box->reject();
                                      }};
                    }});
});

} // namespace

} // namespace brisklet::snapshots
