#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <sys/types.h>

#include <optional>
#include <string>

namespace brisklet::test {

// The one GUI application of the test program, on the offscreen platform unless told otherwise.
void ensureGuiApplication();

// A program the test started: it never outlives the test, and goes with the object if still running.
class TestProcess {
public:
    TestProcess(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                bool showErrors);
    ~TestProcess();
    TestProcess(const TestProcess&) = delete;
    TestProcess& operator=(const TestProcess&) = delete;

    // The next line it prints, trimmed, waiting for it with a generous bound; none when none came.
    std::optional<QByteArray> readLine();
    bool waitForLine(const QByteArray& line);
    // Whether a windowless test window client still answers.
    bool answersPing() { return m_process.write("ping\n") == 5 && waitForLine("pong"); }
    // Waits for the program to end; false when it did not within the bound.
    bool waitForExit();
    pid_t pid() const { return static_cast<pid_t>(m_process.processId()); }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }

private:
    QProcess m_process;
};

// An X server of the test's own, on a display number the server picks itself, so tests never
// reach the session's real windows.
class Xvfb : public TestProcess {
public:
    Xvfb();
    bool running() const { return !m_display.empty(); }
    const std::string& display() const { return m_display; }

private:
    std::string m_display;
};

// The test window client (see helpers/TestWindow.cpp), on `display` or on none.
struct TestWindowClient : TestProcess {
    explicit TestWindowClient(const QStringList& arguments, const std::string& display = {});
};

} // namespace brisklet::test
