#include "ui/components/Spinner.h"

#include "ui/theme/Palette.h"

#include <QPainter>
#include <QTimer>

#include <cmath>
#include <numbers>

namespace brisklet::ui {

Spinner::Spinner(const QString& accessibleName, QWidget* parent) : QWidget(parent), m_timer(new QTimer(this)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(accessibleName);
    m_timer->setInterval(tickMilliseconds);
    connect(m_timer, &QTimer::timeout, this, [this] {
        ++m_step;
        update();
    });
}

void Spinner::paint(QPainter& painter, const QRectF& rect, int step, const QColor& color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = rect.center();
    const qreal outer = std::min(rect.width(), rect.height()) / 2.0;
    const qreal inner = outer * 0.45;
    QPen pen(color, std::max(1.5, outer * 0.22), Qt::SolidLine, Qt::RoundCap);
    for (int i = 0; i < ticks; ++i) {
        // The tick at `step` is the brightest; the ones behind it fade out.
        const int age = ((step - i) % ticks + ticks) % ticks;
        QColor tick = color;
        tick.setAlphaF(static_cast<float>(color.alphaF() * (1.0 - 0.8 * age / (ticks - 1))));
        pen.setColor(tick);
        painter.setPen(pen);
        const double angle = 2 * std::numbers::pi * i / ticks - std::numbers::pi / 2;
        const QPointF direction(std::cos(angle), std::sin(angle));
        painter.drawLine(centre + direction * inner, centre + direction * (outer - pen.widthF() / 2));
    }
    painter.restore();
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF square((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    paint(painter, square, m_step, Palette(palette()).secondaryText());
}

void Spinner::showEvent(QShowEvent* event) {
    m_timer->start();
    QWidget::showEvent(event);
}

void Spinner::hideEvent(QHideEvent* event) {
    m_timer->stop();
    QWidget::hideEvent(event);
}

} // namespace brisklet::ui
