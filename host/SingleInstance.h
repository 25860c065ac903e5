#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include "host/DesktopId.h"

namespace brisklet {

// One brisklet per desktop session. The first start owns the application's name on the session
// bus and answers the freedesktop Application interface there; a later start finds the name taken,
// asks the owner to show its window and steps aside. Without a session bus every start runs on its
// own, as there is nobody to ask.
class SingleInstance final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    static constexpr const char* kServiceName = kDesktopId;
    static constexpr const char* kObjectPath = "/org/brisklet/Brisklet";

    enum class Role {
        First,     // owns the name: carry on and answer later starts
        Alone,     // no bus to coordinate over: carry on
        Activated, // another instance runs and was asked to show itself: exit
        Unanswered, // another instance owns the name but did not answer: exit without a second window
        Running     // another instance runs and, as asked, was left alone: exit
    };

    // What a later start asks of the running one. A start at login that finds brisklet running
    // already must not throw its window in the user's face.
    enum class Handover { showWindow, stayQuiet };

    explicit SingleInstance(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Claims the name or, when it is taken, activates its owner (unless told to stay quiet). Call
    // once, before any window shows.
    Role claim(int answerTimeoutMs = 3000, Handover handover = Handover::showWindow);

public slots:
    // The freedesktop Application interface; every way in shows the window.
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);
    Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platformData);
    Q_SCRIPTABLE void ActivateAction(const QString& action, const QVariantList& parameter,
                                     const QVariantMap& platformData);

signals:
    // Another start asked for the window.
    void activated();

private:
    QDBusConnection m_bus;
    bool m_owned = false;
};

} // namespace brisklet
