#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/types.h>

#include <optional>
#include <string>

namespace brisklet::test {

// Xvfb and a Qt client under the sanitizers may both need a while on a busy machine.
constexpr int kBoundMs = 60'000;

// The one GUI application of the test program, on the offscreen platform unless told otherwise.
inline void ensureGuiApplication() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "brisklet_host_tests";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

// A program the test started: it never outlives the test, and goes with the object if still running.
class TestProcess {
public:
    TestProcess(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                bool showErrors) {
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
    ~TestProcess() {
        if (m_process.state() == QProcess::NotRunning) return;
        // Asked first, so that an X server takes its socket and lock file with it.
        m_process.terminate();
        if (!m_process.waitForFinished(kBoundMs / 20)) {
            m_process.kill();
            m_process.waitForFinished(kBoundMs);
        }
    }
    TestProcess(const TestProcess&) = delete;
    TestProcess& operator=(const TestProcess&) = delete;

    // The next line it prints, trimmed, waiting for it with a generous bound; none when none came.
    std::optional<QByteArray> readLine() {
        const QDeadlineTimer deadline(kBoundMs);
        while (!m_process.canReadLine())
            if (deadline.hasExpired() ||
                !m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                return std::nullopt;
        return m_process.readLine().trimmed();
    }
    bool waitForLine(const QByteArray& line) {
        for (auto next = readLine(); next; next = readLine())
            if (*next == line) return true;
        return false;
    }
    // Whether a windowless test window client still answers.
    bool answersPing() { return m_process.write("ping\n") == 5 && waitForLine("pong"); }
    // Waits for the program to end; false when it did not within the bound.
    bool waitForExit() {
        return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(kBoundMs);
    }
    pid_t pid() const { return static_cast<pid_t>(m_process.processId()); }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }

private:
    QProcess m_process;
};

// An X server of the test's own, on a display number the server picks itself (written once it
// accepts clients), so tests never reach the session's real windows.
class Xvfb : public TestProcess {
public:
    Xvfb()
        : TestProcess("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"},
                      QProcessEnvironment::systemEnvironment(), false) {
        if (const auto number = readLine(); number && !number->isEmpty())
            m_display = ":" + number->toStdString();
    }
    bool running() const { return !m_display.empty(); }
    const std::string& display() const { return m_display; }

private:
    std::string m_display;
};

// The test window client (see helpers/TestWindow.cpp), on `display` or on none.
struct TestWindowClient : TestProcess {
    explicit TestWindowClient(const QStringList& arguments, const std::string& display = {})
        : TestProcess(BRISKLET_TEST_WINDOW_PATH, arguments, environment(display), true) {}

    static QProcessEnvironment environment(const std::string& display) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("WAYLAND_DISPLAY");
        if (!display.empty()) env.insert("DISPLAY", QString::fromStdString(display));
        // The client is ended by signals on purpose; a leak report then would only be noise.
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        return env;
    }
};

} // namespace brisklet::test
