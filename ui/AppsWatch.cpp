#include "ui/AppsWatch.h"

#include "app/MemoryModel.h"

#include <QEvent>
#include <QWidget>

namespace brisklet::ui {

namespace {

class AppsWatch final : public QObject {
public:
    AppsWatch(MemoryModel& memory, QWidget& widget) : QObject(&widget), m_memory(memory), m_widget(widget) {
        widget.installEventFilter(this);
        update();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::WindowStateChange:
            update();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // A minimised window stays "visible" to Qt, so its state is asked separately.
    void update() { m_memory.setAppsWatched(&m_widget, m_widget.isVisible() && !m_widget.isMinimized()); }

    MemoryModel& m_memory;
    QWidget& m_widget;
};

} // namespace

void watchAppsWhileShown(MemoryModel& memory, QWidget& widget) {
    new AppsWatch(memory, widget);
}

} // namespace brisklet::ui
