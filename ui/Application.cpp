#include "ui/Application.h"

#include "app/MemoryModel.h"
#include "app/StorageModel.h"
#include "app/WorkerPools.h"
#include "core/junk/Locations.h"
#include "host/Autostart.h"
#include "host/DesktopId.h"
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
#include <QFile>
#include <QIcon>
#include <QSystemTrayIcon>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace brisklet {

namespace {

std::optional<std::string> environment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

} // namespace

void setDesktopIdentity() {
    const QString desktopId = QString::fromLatin1(kDesktopId);
    QApplication::setOrganizationName(QStringLiteral("brisklet"));
    // The tray item's id and the X11 window class are the application's name: as the desktop id,
    // they let docks and task bars put the window and the tray item under the menu's entry.
    QApplication::setApplicationName(desktopId);
    QApplication::setApplicationDisplayName(QStringLiteral("brisklet"));
    // The window's app id on Wayland and its desktop file on X11.
    QGuiApplication::setDesktopFileName(desktopId);
}

int runApplication(int argc, char* argv[], StartOptions options) {
    setDesktopIdentity();
    QApplication app(argc, argv);
    // The installed icon where the theme has it; the built-in copy when brisklet runs from its
    // build tree.
    const QString desktopId = QString::fromLatin1(kDesktopId);
    QApplication::setWindowIcon(
        QIcon::fromTheme(desktopId, QIcon(QStringLiteral(":/brisklet/%1.svg").arg(desktopId))));

    // A second start shows the running brisklet's window instead of opening another one; a second
    // start into the tray has nothing to show and leaves the running one be.
    SingleInstance instance;
    const auto handover =
        options.startInTray ? SingleInstance::Handover::stayQuiet : SingleInstance::Handover::showWindow;
    switch (instance.claim(3000, handover)) {
    case SingleInstance::Role::Activated:
    case SingleInstance::Role::Running:
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
    const Autostart loginItem(Autostart::configHome(environment),
                              QFile::encodeName(QApplication::applicationFilePath()).toStdString());
    ui::TrayController tray(storage, memory, showWindow, loginItem);
    QObject::connect(&instance, &SingleInstance::activated, &window, showWindow);
    // Only the window and the tray panel show the app lists; while neither is on screen the memory
    // model spares itself the apps pass, the larger part of brisklet's idle cost.
    ui::watchAppsWhileShown(memory, window);
    ui::watchAppsWhileShown(memory, tray.panel());
    if (!(options.startInTray && trayAvailable)) {
        window.show();
        ui::traceFirstPaint(window);
    }
    return app.exec();
}

} // namespace brisklet
