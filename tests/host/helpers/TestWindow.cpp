// A small X11 client for the window tests. It shows a 300×200 normal window at (40, 30) and a
// 50×50 tool window, prints "ready" once both are on screen and "closed" when its normal window
// is asked to close (then it exits with 0). With --ignore-term it survives SIGTERM and prints
// "term" instead; with --no-windows it opens no window at all, needs no display and answers
// "ping" on its input with "pong".

#include <QGuiApplication>
#include <QRasterWindow>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

void say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

void onTerm(int) {
    constexpr char kLine[] = "term\n";
    [[maybe_unused]] const ssize_t n = ::write(STDOUT_FILENO, kLine, sizeof kLine - 1);
}

int shown = 0;

class Window final : public QRasterWindow {
public:
    explicit Window(bool main) : m_main(main) {}

protected:
    void exposeEvent(QExposeEvent* event) override {
        QRasterWindow::exposeEvent(event);
        if (isExposed() && !std::exchange(m_exposed, true) && ++shown == 2) say("ready");
    }
    void closeEvent(QCloseEvent* event) override {
        QRasterWindow::closeEvent(event);
        if (m_main) {
            say("closed");
            QCoreApplication::exit(0);
        }
    }

private:
    bool m_main;
    bool m_exposed = false;
};

} // namespace

int main(int argc, char** argv) {
    const auto given = [&](const char* option) {
        return std::any_of(argv + 1, argv + argc,
                           [option](const char* a) { return std::strcmp(a, option) == 0; });
    };
    if (given("--ignore-term")) {
        struct sigaction action {};
        action.sa_handler = onTerm;
        ::sigaction(SIGTERM, &action, nullptr);
    }
    if (given("--no-windows")) {
        say("ready");
        // Answering proves it is alive: a process that was sent a fatal signal never gets to.
        char line[64];
        while (std::fgets(line, sizeof line, stdin))
            if (std::strcmp(line, "ping\n") == 0) say("pong");
        for (;;)
            ::pause();
    }
    QGuiApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    Window main(true);
    main.setGeometry(40, 30, 300, 200);
    main.setTitle("brisklet test window");
    Window tool(false);
    tool.setFlags(Qt::Tool);
    tool.setGeometry(400, 30, 50, 50);
    main.show();
    tool.show();
    return app.exec();
}
