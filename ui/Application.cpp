#include "ui/Application.h"

#include "app/MemoryModel.h"
#include "app/StorageModel.h"
#include "app/WorkerPools.h"
#include "core/Locations.h"
#include "host/LiveRunningApps.h"
#include "host/LiveWorkspace.h"
#include "host/X11Windows.h"
#include "ui/MainWindow.h"
#include "ui/tray/TrayController.h"

#include <QApplication>
#include <QSystemTrayIcon>

namespace brisklet {

int runApplication(int argc, char* argv[]) {
    QApplication::setOrganizationName(QStringLiteral("brisklet"));
    QApplication::setApplicationName(QStringLiteral("brisklet"));
    QApplication app(argc, argv);

    // Declared in this order so that the models go first, then the desktop services they use, and
    // the pools last, waiting for whatever work is still running.
    WorkerPools pools;
    LiveWorkspace workspace;
    const std::unique_ptr<X11Windows> windows = X11Windows::forQt();
    LiveRunningApps runningApps(Locations::current(), *windows, workspace.ownPid());
    StorageModel storage(StorageModel::Services{}, pools);
    MemoryModel memory(MemoryModel::Services{.runningApps = runningApps, .workspace = workspace}, pools);

    ui::MainWindow window(storage, memory);
    // With a tray, closing the window leaves brisklet running there, and the tray brings the same
    // window back with its state; without one, closing the window is the only way to quit.
    const bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    QApplication::setQuitOnLastWindowClosed(!trayAvailable);
    ui::TrayController tray(storage, memory, [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    window.show();
    return app.exec();
}

} // namespace brisklet
