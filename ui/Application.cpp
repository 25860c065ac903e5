#include "ui/Application.h"

#include "app/MemoryModel.h"
#include "app/StorageModel.h"
#include "app/WorkerPools.h"
#include "core/Locations.h"
#include "host/LiveRunningApps.h"
#include "host/LiveWorkspace.h"
#include "host/SingleInstance.h"
#include "host/X11Windows.h"
#include "ui/AppsWatch.h"
#include "ui/MainWindow.h"
#include "ui/StartupTrace.h"
#include "ui/tray/TrayController.h"
#include "ui/tray/TrayPanel.h"

#include <QApplication>
#include <QSystemTrayIcon>

#include <cstdio>

namespace brisklet {

int runApplication(int argc, char* argv[]) {
    QApplication::setOrganizationName(QStringLiteral("brisklet"));
    QApplication::setApplicationName(QStringLiteral("brisklet"));
    QApplication app(argc, argv);

    // A second start shows the running brisklet's window instead of opening another one.
    SingleInstance instance;
    switch (instance.claim()) {
    case SingleInstance::Role::Activated:
        return 0;
    case SingleInstance::Role::Unanswered:
        std::fprintf(stderr, "brisklet is already running but does not answer.\n");
        return 1;
    case SingleInstance::Role::First:
    case SingleInstance::Role::Alone:
        break;
    }

    // Declared in this order so that the models go first, then the desktop services they use, and
    // the pools last, waiting for whatever work is still running.
    WorkerPools pools;
    LiveWorkspace workspace;
    const std::unique_ptr<X11Windows> windows = X11Windows::forQt();
    LiveRunningApps runningApps(Locations::current(), *windows, workspace.ownPid());
    StorageModel storage(StorageModel::Services{}, pools);
    MemoryModel memory(
        MemoryModel::Services{.runningApps = runningApps, .workspace = workspace, .appsOnlyWhenWatched = true},
        pools);

    ui::MainWindow window(storage, memory, workspace);
    // With a tray, closing the window leaves brisklet running there, and the tray brings the same
    // window back with its state; without one, closing the window is the only way to quit.
    const bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    QApplication::setQuitOnLastWindowClosed(!trayAvailable);
    const auto showWindow = [&window] {
        // Shown as the user left it, maximised or not; only a minimised window comes back up.
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    };
    ui::TrayController tray(storage, memory, showWindow);
    QObject::connect(&instance, &SingleInstance::activated, &window, showWindow);
    // Only the window and the tray panel show the app lists; while neither is on screen the memory
    // model spares itself the apps pass, the larger part of brisklet's idle cost.
    ui::watchAppsWhileShown(memory, window);
    ui::watchAppsWhileShown(memory, tray.panel());
    window.show();
    ui::traceFirstPaint(window);
    return app.exec();
}

} // namespace brisklet
