#include "host/SingleInstance.h"
#include "HostTestSupport.h"
#include "support/PrivateBus.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace brisklet {
namespace {

using Role = SingleInstance::Role;

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ensureGuiApplication();
        ASSERT_FALSE(m_bus.address().isEmpty()) << "dbus-daemon did not start";
    }
    void TearDown() override {
        for (const QString& name : m_names)
            QDBusConnection::disconnectFromBus(name);
    }

    QDBusConnection connect(const QString& name) {
        m_names.push_back(name);
        return QDBusConnection::connectToBus(m_bus.address(), name);
    }

    test::PrivateBus m_bus;
    QStringList m_names;
};

TEST_F(SingleInstanceTest, ALaterStartActivatesTheRunningOneAndStepsAside) {
    SingleInstance first{connect(QStringLiteral("first"))};
    ASSERT_EQ(first.claim(), Role::First);
    QSignalSpy activated(&first, &SingleInstance::activated);

    // The later start blocks on its call, so it runs on a thread of its own while this one answers.
    std::atomic<int> secondRole{-1};
    const QString address = m_bus.address();
    std::thread second([&secondRole, address] {
        const QString name = QStringLiteral("second");
        {
            SingleInstance later{QDBusConnection::connectToBus(address, name)};
            secondRole = static_cast<int>(later.claim(30'000));
        }
        QDBusConnection::disconnectFromBus(name);
    });
    const bool answered = activated.wait(30'000);
    second.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(secondRole, static_cast<int>(Role::Activated));

    // The name stays with the first start.
    EXPECT_EQ(connect("observer").interface()->serviceOwner(SingleInstance::kServiceName).value(),
              QDBusConnection("first").baseService());
}

TEST_F(SingleInstanceTest, AQuietLaterStartLeavesTheRunningOneAloneAndTheNameIsFreedAtTheEnd) {
    auto first = std::make_unique<SingleInstance>(connect(QStringLiteral("first")));
    ASSERT_EQ(first->claim(), Role::First);
    QSignalSpy activated(first.get(), &SingleInstance::activated);

    SingleInstance later{connect(QStringLiteral("later"))};
    EXPECT_EQ(later.claim(3'000, SingleInstance::Handover::stayQuiet), Role::Running);
    // Had the later start called Activate, it would have waited here for an answer this thread
    // cannot give and come back Unanswered; a call delivered late would show up in the spy.
    QCoreApplication::processEvents();
    EXPECT_EQ(activated.count(), 0);

    first.reset();
    SingleInstance next{connect(QStringLiteral("next"))};
    EXPECT_EQ(next.claim(), Role::First);
}

TEST_F(SingleInstanceTest, WithoutABusEveryStartRunsAndAnOwnerThatCannotAnswerLeavesTheLaterStartOut) {
    EXPECT_EQ(SingleInstance{QDBusConnection(QStringLiteral("brisklet-no-bus"))}.claim(), Role::Alone);
    // Something holds the name but serves no object there: no second window opens all the same.
    QDBusConnection squatter = connect(QStringLiteral("squatter"));
    ASSERT_TRUE(squatter.registerService(QString::fromLatin1(SingleInstance::kServiceName)));
    SingleInstance later{connect(QStringLiteral("later"))};
    EXPECT_EQ(later.claim(2'000), Role::Unanswered);
}

} // namespace
} // namespace brisklet
