#include "HostTestSupport.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcessEnvironment>

#include <signal.h>
#include <sys/prctl.h>

namespace brisklet::test {

namespace {

// Xvfb and a Qt client under the sanitizers may both need a while on a busy machine.
constexpr int kBoundMs = 60'000;

QProcessEnvironment clientEnvironment(const std::string& display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("WAYLAND_DISPLAY");
    if (!display.empty()) env.insert("DISPLAY", QString::fromStdString(display));
    // The client is ended by signals on purpose; a leak report then would only be noise.
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    return env;
}

} // namespace

void ensureGuiApplication() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "brisklet_host_tests";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

TestProcess::TestProcess(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment, bool showErrors) {
    m_process.setProcessEnvironment(environment);
    // A test that dies half-way must not leave its X server or clients behind.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    if (showErrors)
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    else
        m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(program, arguments);
    m_process.waitForStarted(kBoundMs);
}

TestProcess::~TestProcess() {
    if (m_process.state() == QProcess::NotRunning) return;
    // Asked first, so that an X server takes its socket and lock file with it.
    m_process.terminate();
    if (!m_process.waitForFinished(kBoundMs / 20)) {
        m_process.kill();
        m_process.waitForFinished(kBoundMs);
    }
}

std::optional<QByteArray> TestProcess::readLine() {
    const QDeadlineTimer deadline(kBoundMs);
    while (!m_process.canReadLine())
        if (deadline.hasExpired() || !m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return std::nullopt;
    return m_process.readLine().trimmed();
}

bool TestProcess::waitForLine(const QByteArray& line) {
    for (auto next = readLine(); next; next = readLine())
        if (*next == line) return true;
    return false;
}

bool TestProcess::waitForExit() {
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(kBoundMs);
}

// -displayfd picks a free display and writes its number once the server accepts clients.
Xvfb::Xvfb()
    : TestProcess("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"},
                  QProcessEnvironment::systemEnvironment(), false) {
    if (const auto number = readLine(); number && !number->isEmpty()) m_display = ":" + number->toStdString();
}

TestWindowClient::TestWindowClient(const QStringList& arguments, const std::string& display)
    : TestProcess(BRISKLET_TEST_WINDOW_PATH, arguments, clientEnvironment(display), true) {}

} // namespace brisklet::test
