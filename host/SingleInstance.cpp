#include "host/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace brisklet {

SingleInstance::SingleInstance(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {}

SingleInstance::~SingleInstance() {
    if (!m_owned) return;
    m_bus.unregisterObject(QString::fromLatin1(kObjectPath));
    m_bus.unregisterService(QString::fromLatin1(kServiceName));
}

SingleInstance::Role SingleInstance::claim(int answerTimeoutMs, Handover handover) {
    if (!m_bus.isConnected()) return Role::Alone;
    const QString service = QString::fromLatin1(kServiceName);
    const QString path = QString::fromLatin1(kObjectPath);

    // The object goes up before the name, so a start racing with ours never finds the name owned
    // by someone who cannot answer yet.
    if (!m_bus.registerObject(path, this, QDBusConnection::ExportScriptableSlots)) return Role::Alone;
    if (m_bus.registerService(service)) {
        m_owned = true;
        return Role::First;
    }
    m_bus.unregisterObject(path);
    if (handover == Handover::stayQuiet) return Role::Running;

    QDBusMessage call = QDBusMessage::createMethodCall(service, path,
                                                       QStringLiteral("org.freedesktop.Application"),
                                                       QStringLiteral("Activate"));
    call << QVariantMap{};
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, answerTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) return Role::Activated;

    // The owner may have quit between our request and the call: then the name is free again and
    // this start becomes the one.
    const auto owner = m_bus.interface()->isServiceRegistered(service);
    if (owner.isValid() && !owner.value() && m_bus.registerObject(path, this, QDBusConnection::ExportScriptableSlots)) {
        if (m_bus.registerService(service)) {
            m_owned = true;
            return Role::First;
        }
        m_bus.unregisterObject(path);
    }
    return Role::Unanswered;
}

void SingleInstance::Activate(const QVariantMap&) { emit activated(); }

void SingleInstance::Open(const QStringList&, const QVariantMap&) { emit activated(); }

void SingleInstance::ActivateAction(const QString&, const QVariantList&, const QVariantMap&) {
    emit activated();
}

} // namespace brisklet
