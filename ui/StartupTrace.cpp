#include "ui/StartupTrace.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace brisklet::ui {

namespace {

// Milliseconds since the kernel started this process, so that loading the libraries and building
// the models count too, which a clock started in main would miss. The start time is in clock ticks
// (10 ms here), fine enough against a budget of hundreds.
long long sinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    const std::string text{std::istreambuf_iterator<char>(stat), {}};
    const auto close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 1));
    // Counted from after the name, which may hold spaces: the state is field 3, the start time 22.
    std::string field;
    for (int i = 3; i <= 22; ++i)
        fields >> field;
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    const long long ticks = std::atoll(field.c_str());
    const long long hz = ::sysconf(_SC_CLK_TCK);
    return now.tv_sec * 1000LL + now.tv_nsec / 1'000'000 - ticks * 1000 / hz;
}

// Qt paints and flushes a widget window while it handles the window's first expose; a zero timer
// started then fires once that is done.
class FirstPaint final : public QObject {
public:
    explicit FirstPaint(QObject* parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                std::fprintf(stderr, "first paint after %lld ms\n", sinceProcessStart());
                deleteLater();
            });
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void traceFirstPaint(QWidget& window) {
    if (!std::getenv("BRISKLET_TRACE_STARTUP")) return;
    if (QWindow* handle = window.windowHandle()) handle->installEventFilter(new FirstPaint(handle));
}

} // namespace brisklet::ui
