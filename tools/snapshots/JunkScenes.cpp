// The System Junk page in its main states: before and during a scan, with results, a notice, an
// unreadable and an empty Trash, and both questions it asks.

#include "Capture.h"
#include "Scene.h"
#include "SnapshotFixture.h"

#include "ui/MainWindow.h"
#include "ui/pages/JunkView.h"

#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QRunnable>
#include <QThreadPool>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

namespace brisklet::snapshots {

namespace {

namespace fs = std::filesystem;

std::set<JunkKind> kinds(std::initializer_list<JunkKind> list) {
    return {list.begin(), list.end()};
}

void waitForScans(StorageModel& storage) {
    SnapshotFixture::waitUntil("the junk scans", [&storage] { return storage.scanningJunk().empty(); });
}

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

// Keeps every thread of a pool busy until opened, so work started meanwhile waits its turn.
class PoolGate {
public:
    explicit PoolGate(QThreadPool& pool) : m_pool(pool) {
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
    QThreadPool& m_pool;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// The window with the question drawn over its middle, as the user sees a window-modal box.
QImage withQuestion(JunkWindow& shown, QMessageBox& box, qreal ratio) {
    QImage picture = shown.render(ratio);
    const QImage question = renderWidget(box, ratio);
    const QSizeF logical = QSizeF(picture.size()) / ratio;
    const QSizeF boxSize = QSizeF(question.size()) / ratio;
    const QPointF at((logical.width() - boxSize.width()) / 2, (logical.height() - boxSize.height()) / 3);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRectF(QPointF(0, 0), logical), QColor(0, 0, 0, 40));
    // A soft shadow and an outline, so the box stands off the page in either look.
    for (int i = 1; i <= 6; ++i) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 10));
        painter.drawRoundedRect(QRectF(at, boxSize).adjusted(-i, -i + 3, i, i + 3), 8 + i, 8 + i);
    }
    painter.drawImage(at, question);
    painter.setPen(QPen(QColor(128, 128, 128, 90), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(at, boxSize).adjusted(-0.5, -0.5, 0.5, 0.5));
    return picture;
}

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

// Puts the Trash's files folder aside, in its place either nothing or a plain file (which makes the
// Trash unreadable), rescans the Trash and returns how to put it all back.
std::function<void()> replaceTrash(SnapshotFixture& f, bool unreadable) {
    const fs::path files = f.home() / ".local/share/Trash/files";
    const fs::path aside = f.home() / ".local/share/Trash/files-aside";
    fs::rename(files, aside);
    if (unreadable)
        std::ofstream(files) << "not a folder\n";
    else
        fs::create_directory(files);
    f.storage().scanJunk(kinds({JunkKind::trash}));
    waitForScans(f.storage());
    return [&f, files, aside] {
        fs::remove_all(files);
        fs::rename(aside, files);
        f.storage().scanJunk(kinds({JunkKind::trash}));
        waitForScans(f.storage());
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
                        storage->scanJunk(kinds({JunkKind::logs, JunkKind::devCaches}));
                        waitForScans(*storage);
                        auto gate = std::make_shared<PoolGate>(f.pools().userInitiated());
                        storage->scanJunk(kinds({JunkKind::appCaches, JunkKind::xcode, JunkKind::trash}));
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
                        return Staged{[shown, box](qreal ratio) { return withQuestion(*shown, *box, ratio); },
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
                        return Staged{[shown, box](qreal ratio) { return withQuestion(*shown, *box, ratio); },
                                      [box] {
                                          if (box) box->reject();
                                      }};
                    }});
});

} // namespace

} // namespace brisklet::snapshots
