#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <sys/types.h>

#include <string>

namespace brisklet::test {

// The one GUI application of the test program, on the offscreen platform unless told otherwise.
void ensureGuiApplication();

// An X server of the test's own, on a display number the server picks itself, so tests never
// reach the session's real windows.
class Xvfb {
public:
    Xvfb();
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    bool running() const { return !m_display.empty(); }
    const std::string& display() const { return m_display; }

private:
    QProcess m_process;
    std::string m_display;
};

// The test window client (see helpers/TestWindow.cpp), killed with the object if still running.
class TestWindowClient {
public:
    TestWindowClient(const QStringList& arguments, const std::string& display = {});
    ~TestWindowClient();
    TestWindowClient(const TestWindowClient&) = delete;
    TestWindowClient& operator=(const TestWindowClient&) = delete;

    // Waits (with a generous bound) for the client to print `line`.
    bool waitForLine(const QByteArray& line);
    // Whether a windowless client still answers.
    bool answersPing();
    // Waits for the client to end; false when it did not within the bound.
    bool waitForExit();
    pid_t pid() const;
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }

private:
    QProcess m_process;
};

} // namespace brisklet::test
