// The tray's panel in each of its states and the tray icon at every size it is asked for.

#include "Capture.h"
#include "Scene.h"
#include "SnapshotFixture.h"

#include "ui/tray/TrayIconPainter.h"
#include "ui/tray/TrayPanel.h"

#include <QLayout>

#include <memory>
#include <utility>

namespace brisklet::snapshots {

namespace {

// The panel as it opens over the fixture's current state, at the size its layout gives it.
Renderer panel(SnapshotFixture& f) {
    auto shown = std::make_shared<ui::TrayPanel>(f.storage(), f.memory(), [] {});
    shown->layout()->activate();
    shown->adjustSize();
    settle(*shown);
    return [shown](qreal ratio) {
        // The notice wraps, so a look whose fonts differ could change the height.
        shown->layout()->activate();
        shown->adjustSize();
        return renderWidget(*shown, ratio);
    };
}

// Runs "Free Up RAM" to its end with `outcome`; the notice it posts stays for the picture.
Staged afterPurge(SnapshotFixture& f, const Outcome& outcome) {
    f.holdPurge();
    f.memory().freeUpRAM();
    f.finishPurge(outcome);
    return Staged{panel(f), [&f] {
                      f.restoreMemory();
                      f.memory().setNotice(std::nullopt);
                  }};
}

const SceneGroup panelScenes([](std::vector<Scene>& list) {
    list.push_back({QStringLiteral("tray-panel-apps"), [](SnapshotFixture& f) { return Staged{panel(f)}; }});

    list.push_back({QStringLiteral("tray-panel-no-apps"), [](SnapshotFixture& f) {
                        auto running = std::make_shared<std::vector<RunningApp>>(
                            std::exchange(f.runningApps().apps, {}));
                        f.refreshApps();
                        return Staged{panel(f), [&f, running] {
                                          f.runningApps().apps = *running;
                                          f.refreshApps();
                                      }};
                    }});

    list.push_back({QStringLiteral("tray-panel-purging"), [](SnapshotFixture& f) {
                        f.holdPurge();
                        f.memory().freeUpRAM();
                        SnapshotFixture::waitUntil("the purge to start", [&f] { return f.memory().isPurging(); });
                        // Ends without a notice, as when the user cancels the password dialog.
                        return Staged{panel(f), [&f] { f.finishPurge(Outcome::cancelled()); }};
                    }});

    list.push_back({QStringLiteral("tray-panel-notice"),
                    [](SnapshotFixture& f) { return afterPurge(f, Outcome::done()); }});

    list.push_back({QStringLiteral("tray-panel-failed"), [](SnapshotFixture& f) {
                        return afterPurge(f, Outcome::failed("Error executing command as another user: "
                                                             "Not authorized"));
                    }});
});

// The icon over the panel colour of the current look, as a tray shows it.
void addIcons(std::vector<Scene>& list, const QString& state, MemoryPressure pressure, const QString& text) {
    for (const int size : ui::TrayIconPainter::sizes) {
        QString name = QStringLiteral("tray-icon-%1").arg(size);
        if (!state.isEmpty()) name += u'-' + state;
        list.push_back({name, [size, pressure, text](SnapshotFixture& f) {
                            // The normal icon shows the fixture's own figure.
                            const QString shown =
                                text.isEmpty() ? ui::TrayIconPainter::percentText(f.memory().snapshot()) : text;
                            return Staged{[size, pressure, shown](qreal ratio) {
                                return onBackground(ui::TrayIconPainter::paint(shown, pressure, size, ratio),
                                                    windowColor());
                            }};
                        }});
    }
}

const SceneGroup iconScenes([](std::vector<Scene>& list) {
    addIcons(list, {}, MemoryPressure::normal, {});
    addIcons(list, QStringLiteral("warning"), MemoryPressure::warning, QStringLiteral("83%"));
    addIcons(list, QStringLiteral("critical"), MemoryPressure::critical, QStringLiteral("96%"));
    // Three digits: the widest figure the icon must hold.
    addIcons(list, QStringLiteral("full"), MemoryPressure::critical, QStringLiteral("100%"));
});

} // namespace

} // namespace brisklet::snapshots
