// The Overview page in its main states: before any scan, while one kind is still scanning, with
// results, with a notice, with an unreadable and with an empty Trash, and with either question open.

#include "Capture.h"
#include "Scene.h"
#include "SnapshotFixture.h"
#include "Staging.h"

#include "ui/MainWindow.h"
#include "ui/pages/OverviewView.h"

#include <QLayout>
#include <QMessageBox>
#include <QPointer>

#include <memory>

namespace brisklet::snapshots {

namespace {


// A window on the overview over `storage`. Shown only when junk is already held, as showing an
// empty-handed window starts the first scan.
struct OverviewWindow {
    std::unique_ptr<StorageModel> ownStorage;
    std::unique_ptr<ui::MainWindow> window;
    ui::OverviewView* page = nullptr;
    QPointer<QMessageBox> question;

    OverviewWindow(SnapshotFixture& f, StorageModel& storage, bool show) {
        window = std::make_unique<ui::MainWindow>(storage, f.memory(), f.workspace());
        window->setPage(ui::Page::overview);
        page = window->findChild<ui::OverviewView*>();
        if (show) window->show();
        window->resize(ui::MainWindow::openingSize);
        // A window never shown lays itself out only when asked; the scroll area would otherwise
        // judge the page by a stale height and show a scroll bar.
        if (!show) {
            for (QLayout* layout : window->findChildren<QLayout*>())
                layout->activate();
        }
        settle(*window);
    }

    ~OverviewWindow() {
        delete question;
        // The window reads the model to its end, so it goes before a model of its own.
        window.reset();
    }

    // The window, with the question over it when one is open.
    QImage render(qreal ratio) {
        QImage picture = renderWidget(*window, ratio);
        return question ? withQuestion(std::move(picture), *question, ratio) : picture;
    }
};

Staged staged(std::shared_ptr<OverviewWindow> shown, std::function<void()> undo = {}) {
    return Staged{[shown](qreal ratio) { return shown->render(ratio); }, std::move(undo)};
}

const SceneGroup overviewScenes([](std::vector<Scene>& list) {
    list.push_back({QStringLiteral("overview-not-scanned"), [](SnapshotFixture& f) {
                        auto storage = f.freshStorage();
                        auto shown = std::make_shared<OverviewWindow>(f, *storage, false);
                        shown->ownStorage = std::move(storage);
                        return staged(shown);
                    }});

    // The first scan under way: four kinds are in, the Trash is still being read.
    list.push_back({QStringLiteral("overview-scanning"), [](SnapshotFixture& f) {
                        auto storage = f.freshStorage();
                        storage->scanJunk({JunkKind::appCaches, JunkKind::logs, JunkKind::xcode, JunkKind::devCaches});
                        waitForScans(*storage);
                        auto gate = std::make_shared<PoolGate>(f.pools().userInitiated());
                        storage->scanJunk({JunkKind::trash});
                        auto shown = std::make_shared<OverviewWindow>(f, *storage, true);
                        StorageModel* model = storage.get();
                        shown->ownStorage = std::move(storage);
                        return staged(shown, [gate, shown, model] {
                            gate->open();
                            waitForScans(*model);
                        });
                    }});

    list.push_back({QStringLiteral("overview-results"), [](SnapshotFixture& f) {
                        return staged(std::make_shared<OverviewWindow>(f, f.storage(), true));
                    }});

    list.push_back({QStringLiteral("overview-notice"), [](SnapshotFixture& f) {
                        f.storage().setJunkNotice(Notice::make(StorageModel::summary(1'240'000'000, 2), false));
                        return staged(std::make_shared<OverviewWindow>(f, f.storage(), true),
                                      [&f] { f.storage().setJunkNotice(std::nullopt); });
                    }});

    list.push_back({QStringLiteral("overview-access-denied"), [](SnapshotFixture& f) {
                        auto restore = replaceTrash(f, true);
                        return staged(std::make_shared<OverviewWindow>(f, f.storage(), true), restore);
                    }});

    list.push_back({QStringLiteral("overview-empty-trash"), [](SnapshotFixture& f) {
                        auto restore = replaceTrash(f, false);
                        return staged(std::make_shared<OverviewWindow>(f, f.storage(), true), restore);
                    }});

    list.push_back({QStringLiteral("overview-confirm-clean"), [](SnapshotFixture& f) {
                        auto shown = std::make_shared<OverviewWindow>(f, f.storage(), true);
                        shown->question = shown->page->confirmClean();
                        settle(*shown->question);
                        return staged(shown);
                    }});

    list.push_back({QStringLiteral("overview-confirm-trash"), [](SnapshotFixture& f) {
                        auto shown = std::make_shared<OverviewWindow>(f, f.storage(), true);
                        shown->question = shown->page->confirmTrash();
                        settle(*shown->question);
                        return staged(shown);
                    }});
});

} // namespace

} // namespace brisklet::snapshots
