#include "host/LiveWorkspace.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QWindow>

#include <unistd.h>

#include <set>

namespace brisklet {

namespace {

QString qtPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.native());
}

void openFolders(const LiveWorkspace::Opener& opener, const std::vector<std::filesystem::path>& locations) {
    std::set<std::filesystem::path> opened;
    for (const auto& location : locations) {
        const std::filesystem::path folder =
            location.parent_path().empty() ? location : location.parent_path();
        if (opened.insert(folder).second) opener(QUrl::fromLocalFile(qtPath(folder)));
    }
}

} // namespace

LiveWorkspace::LiveWorkspace(QDBusConnection bus, Opener opener)
    : m_bus(std::move(bus)), m_opener(opener ? std::move(opener) : Opener(&QDesktopServices::openUrl)) {}

void LiveWorkspace::reveal(const std::vector<std::filesystem::path>& locations) {
    if (locations.empty()) return;
    if (!m_bus.isConnected()) {
        openFolders(m_opener, locations);
        return;
    }
    QStringList uris;
    for (const auto& location : locations)
        uris << QUrl::fromLocalFile(qtPath(location)).toString(QUrl::FullyEncoded);
    QDBusMessage call =
        QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                       "org.freedesktop.FileManager1", "ShowItems");
    call << uris << QString();
    // Asynchronous: a file manager that D-Bus first has to start must not freeze the window.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), nullptr);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     // The workspace may be gone by the time the answer comes; the opener is copied.
                     [opener = m_opener, watcher, locations] {
                         if (QDBusPendingReply<>(*watcher).isError()) openFolders(opener, locations);
                         watcher->deleteLater();
                     });
}

QUrl LiveWorkspace::urlFor(const std::string& locationOrLink) {
    const QString text = QString::fromStdString(locationOrLink);
    if (!text.startsWith('/')) {
        const QUrl url(text, QUrl::StrictMode);
        // One letter before the colon would be a drive, never a scheme we mean.
        if (url.isValid() && url.scheme().size() > 1) return url;
    }
    return QUrl::fromLocalFile(text);
}

void LiveWorkspace::open(const std::string& locationOrLink) {
    if (locationOrLink.empty()) return;
    m_opener(urlFor(locationOrLink));
}

pid_t LiveWorkspace::ownPid() const {
    return ::getpid();
}

void LiveWorkspace::activate() {
    // Only our real windows: popups and tool windows come and go with the window they belong to.
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->type() != Qt::Window || !window->isVisible()) continue;
        if (window->windowStates() & Qt::WindowMinimized)
            window->setWindowStates(window->windowStates() & ~Qt::WindowMinimized);
        window->raise();
        window->requestActivate();
        return;
    }
}

void LiveWorkspace::terminate() {
    // Through the event loop, so windows close and settings are written the regular way.
    QCoreApplication::quit();
}

} // namespace brisklet
