#pragma once

#include "host/Workspace.h"

#include <QDBusConnection>
#include <QUrl>

#include <functional>

namespace brisklet {

// The desktop around the program: the file manager over D-Bus, the default handlers through Qt.
class LiveWorkspace final : public Workspace {
public:
    // How a URL is handed to its default application; replaced in tests so that nothing launches.
    using Opener = std::function<bool(const QUrl&)>;

    explicit LiveWorkspace(QDBusConnection bus = QDBusConnection::sessionBus(), Opener opener = {});

    // Asks the file manager to show the locations selected; when no file manager answers on the
    // bus, opens their folders instead, each folder once.
    void reveal(const std::vector<std::filesystem::path>& locations) override;
    void open(const std::string& locationOrLink) override;
    pid_t ownPid() const override;
    void activate() override;
    void terminate() override;

    // What open() hands on: a link with a scheme stays a link, anything else is a local path.
    static QUrl urlFor(const std::string& locationOrLink);

private:
    QDBusConnection m_bus;
    Opener m_opener;
};

} // namespace brisklet
