// The Overview page in its main states: before any scan, while one kind is still scanning, with
// results, with a notice, with an unreadable and with an empty Trash, and with either question open.

#include "Capture.h"
#include "Scene.h"
#include "SnapshotFixture.h"

#include "ui/MainWindow.h"
#include "ui/pages/OverviewView.h"

#include <QLayout>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QThreadPool>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

namespace brisklet::snapshots {

namespace {

namespace fs = std::filesystem;

void waitForScans(StorageModel& storage) {
    SnapshotFixture::waitUntil("the junk scans", [&storage] { return storage.scanningJunk().empty(); });
}

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

    // The window with the question over its middle, as the user sees a window-modal box.
    QImage render(qreal ratio) {
        QImage picture = renderWidget(*window, ratio);
        if (!question) return picture;
        question->adjustSize();
        const QImage box = renderWidget(*question, ratio);
        const QSizeF logical = QSizeF(picture.size()) / ratio;
        const QSizeF boxSize = QSizeF(box.size()) / ratio;
        const QPointF at((logical.width() - boxSize.width()) / 2, (logical.height() - boxSize.height()) / 2);
        QPainter painter(&picture);
        painter.fillRect(QRectF(QPointF(0, 0), logical), QColor(0, 0, 0, 40));
        painter.drawImage(at, box);
        painter.setPen(QPen(QColor(128, 128, 128, 110), 1));
        painter.drawRect(QRectF(at, boxSize).adjusted(-0.5, -0.5, 0.5, 0.5));
        return picture;
    }
};

Staged staged(std::shared_ptr<OverviewWindow> shown, std::function<void()> undo = {}) {
    return Staged{[shown](qreal ratio) { return shown->render(ratio); }, std::move(undo)};
}

// Keeps every thread of a pool busy until opened, so a scan started meanwhile is really under way
// and waits its turn.
class PoolGate {
public:
    explicit PoolGate(QThreadPool& pool) {
        const int threads = std::max(1, pool.maxThreadCount());
        for (int i = 0; i < threads; ++i) {
            pool.start([state = m_state] {
                std::unique_lock lock(state->mutex);
                ++state->waiting;
                state->changed.notify_all();
                state->changed.wait(lock, [&] { return state->open; });
            });
        }
        std::unique_lock lock(m_state->mutex);
        m_state->changed.wait(lock, [&] { return m_state->waiting == threads; });
    }
    ~PoolGate() { open(); }

    void open() {
        {
            const std::lock_guard lock(m_state->mutex);
            m_state->open = true;
        }
        m_state->changed.notify_all();
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        int waiting = 0;
        bool open = false;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// Puts the Trash's files folder aside, in its place either an empty folder or a plain file (which
// makes the Trash unreadable), rescans the Trash and returns how to put it all back.
std::function<void()> replaceTrash(SnapshotFixture& f, bool unreadable) {
    const fs::path files = f.home() / ".local/share/Trash/files";
    const fs::path aside = f.home() / ".local/share/Trash/files-overview-aside";
    fs::rename(files, aside);
    if (unreadable)
        std::ofstream(files) << "not a folder\n";
    else
        fs::create_directory(files);
    f.storage().scanJunk({JunkKind::trash});
    waitForScans(f.storage());
    return [&f, files, aside] {
        fs::remove_all(files);
        fs::rename(aside, files);
        f.storage().scanJunk({JunkKind::trash});
        waitForScans(f.storage());
    };
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
