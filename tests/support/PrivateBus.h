#pragma once

#include <QProcess>
#include <QString>

namespace brisklet::test {

// A session bus of the test's own (dbus-daemon), so that nothing reaches the desktop's real bus.
// Stopped when the object goes.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Empty when the daemon could not start.
    const QString& address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

} // namespace brisklet::test
