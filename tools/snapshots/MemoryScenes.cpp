// The memory page in its states: apps with runtimes and background processes, scrolled down to the
// later cards, a selection with its bar, a notice, a purge under way, a machine that reports
// nothing, and the questions before a force quit and before stopping a runtime.

#include "Capture.h"
#include "Scene.h"
#include "SnapshotFixture.h"
#include "Staging.h"

#include "host/Fakes.h"
#include "support/ProcTree.h"
#include "support/TempTree.h"
#include "ui/MainWindow.h"
#include "ui/pages/MemoryView.h"

#include <QMessageBox>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>

#include <memory>

namespace brisklet::snapshots {

namespace {

// A window on the memory page over `memory`.
struct MemoryWindow {
    std::unique_ptr<ui::MainWindow> window;
    ui::MemoryView* page = nullptr;

    MemoryWindow(SnapshotFixture& f, MemoryModel& memory) {
        window = std::make_unique<ui::MainWindow>(f.storage(), memory, f.workspace());
        window->setPage(ui::Page::memory);
        page = window->findChild<ui::MemoryView*>();
        window->show();
        window->resize(ui::MainWindow::openingSize);
        settle(*window);
    }

    QImage render(qreal ratio) { return renderWidget(*window, ratio); }
};

std::shared_ptr<MemoryWindow> shown(SnapshotFixture& f) {
    return std::make_shared<MemoryWindow>(f, f.memory());
}

Renderer renderer(const std::shared_ptr<MemoryWindow>& window) {
    return [window](qreal ratio) { return window->render(ratio); };
}

// A machine whose figures are all nothing and that runs nothing we list: a model of its own over an
// empty /proc.
struct EmptyMachine {
    test::TempTree tree;
    test::ProcTree proc{tree};
    FakeRunningApps running;
    std::unique_ptr<MemoryModel> memory;
    std::shared_ptr<MemoryWindow> window;

    explicit EmptyMachine(SnapshotFixture& f) {
        proc.memInfo(0, 0, 0);
        memory = std::make_unique<MemoryModel>(MemoryModel::Services{.runningApps = running,
                                                                     .workspace = f.workspace(),
                                                                     .procRoot = proc.root(),
                                                                     .sysRoot = tree.dir("sys"),
                                                                     .home = f.home(),
                                                                     .statsInterval = std::chrono::hours(1)},
                                               f.pools());
        bool published = false;
        const QMetaObject::Connection counting =
            QObject::connect(memory.get(), &MemoryModel::backgroundChanged, [&published] { published = true; });
        memory->refreshApps();
        SnapshotFixture::waitUntil("the empty machine's apps pass", [&published] { return published; });
        QObject::disconnect(counting);
        window = std::make_shared<MemoryWindow>(f, *memory);
    }

    ~EmptyMachine() {
        // The window reads the model to its end, so it goes first.
        window.reset();
        memory.reset();
    }
};

const SceneGroup memoryScenes([](std::vector<Scene>& list) {
    list.push_back({QStringLiteral("memory-apps"), [](SnapshotFixture& f) { return Staged{renderer(shown(f))}; }});

    list.push_back({QStringLiteral("memory-scrolled"), [](SnapshotFixture& f) {
                        auto window = shown(f);
                        QScrollBar* bar = window->page->scrollArea()->verticalScrollBar();
                        bar->setValue(bar->maximum());
                        settle(*window->window);
                        return Staged{renderer(window)};
                    }});

    list.push_back({QStringLiteral("memory-selection"), [](SnapshotFixture& f) {
                        MemoryModel& memory = f.memory();
                        memory.toggle(memory.apps().at(0));
                        memory.toggle(memory.apps().at(2));
                        return Staged{renderer(shown(f)), [&memory] { memory.setSelectedApps({}); }};
                    }});

    list.push_back({QStringLiteral("memory-notice"), [](SnapshotFixture& f) {
                        MemoryModel& memory = f.memory();
                        memory.setNotice(Notice::make(
                            QStringLiteral("Asked 2 apps to quit. Any with unsaved work will ask you first."), false));
                        return Staged{renderer(shown(f)), [&memory] { memory.setNotice(std::nullopt); }};
                    }});

    list.push_back({QStringLiteral("memory-purging"), [](SnapshotFixture& f) {
                        f.holdPurge();
                        f.memory().freeUpRAM();
                        SnapshotFixture::waitUntil("the purge to start", [&f] { return f.memory().isPurging(); });
                        // Ends without a notice, as when the user cancels the password dialog.
                        return Staged{renderer(shown(f)), [&f] { f.finishPurge(Outcome::cancelled()); }};
                    }});

    list.push_back({QStringLiteral("memory-empty"), [](SnapshotFixture& f) {
                        auto machine = std::make_shared<EmptyMachine>(f);
                        return Staged{[machine](qreal ratio) { return machine->window->render(ratio); }};
                    }});

    list.push_back({QStringLiteral("memory-confirm-force-quit"), [](SnapshotFixture& f) {
                        auto window = shown(f);
                        QPointer<QMessageBox> box = window->page->askForceQuit(f.memory().apps().at(0));
                        settle(*box);
                        return Staged{[window, box](qreal ratio) { return withQuestion(window->render(ratio), *box, ratio); },
                                      [box] {
                                          if (box) box->reject();
                                      }};
                    }});

    list.push_back({QStringLiteral("memory-confirm-stop"), [](SnapshotFixture& f) {
                        auto window = shown(f);
                        QPointer<QMessageBox> box = window->page->askStop(f.memory().devProcesses().at(0));
                        settle(*box);
                        return Staged{[window, box](qreal ratio) { return withQuestion(window->render(ratio), *box, ratio); },
                                      [box] {
                                          if (box) box->reject();
                                      }};
                    }});
});

} // namespace

} // namespace brisklet::snapshots
