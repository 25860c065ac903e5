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

// A test that dies half-way must not leave its X server or clients behind.
void dieWithTheTest(QProcess& process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
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

Xvfb::Xvfb() {
    // -displayfd picks a free display and writes its number once the server accepts clients.
    dieWithTheTest(m_process);
    m_process.setProgram("Xvfb");
    m_process.setArguments({"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start();
    if (!m_process.waitForStarted(kBoundMs)) return;
    QByteArray out;
    const QDeadlineTimer deadline(kBoundMs);
    while (!out.contains('\n') && !deadline.hasExpired()) {
        if (!m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime())) &&
            m_process.state() == QProcess::NotRunning)
            return;
        out += m_process.readAllStandardOutput();
    }
    const QByteArray number = out.trimmed();
    if (!number.isEmpty()) m_display = ":" + number.toStdString();
}

Xvfb::~Xvfb() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.terminate();
    if (!m_process.waitForFinished(kBoundMs)) {
        m_process.kill();
        m_process.waitForFinished(kBoundMs);
    }
}

TestWindowClient::TestWindowClient(const QStringList& arguments, const std::string& display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("WAYLAND_DISPLAY");
    if (!display.empty()) env.insert("DISPLAY", QString::fromStdString(display));
    // The client is ended by signals on purpose; a leak report then would only be noise.
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    m_process.setProcessEnvironment(env);
    dieWithTheTest(m_process);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(BRISKLET_TEST_WINDOW_PATH, arguments);
    m_process.waitForStarted(kBoundMs);
}

TestWindowClient::~TestWindowClient() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.kill();
    m_process.waitForFinished(kBoundMs);
}

bool TestWindowClient::waitForLine(const QByteArray& line) {
    const QDeadlineTimer deadline(kBoundMs);
    for (;;) {
        while (m_process.canReadLine())
            if (m_process.readLine().trimmed() == line) return true;
        if (deadline.hasExpired()) return false;
        if (!m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime())) &&
            !m_process.canReadLine())
            return false;
    }
}

bool TestWindowClient::answersPing() {
    return m_process.write("ping\n") == 5 && waitForLine("pong");
}

bool TestWindowClient::waitForExit() {
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(kBoundMs);
}

pid_t TestWindowClient::pid() const {
    return static_cast<pid_t>(m_process.processId());
}

} // namespace brisklet::test
