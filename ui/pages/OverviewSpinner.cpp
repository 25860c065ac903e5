#include "ui/pages/OverviewSpinner.h"

#include "ui/theme/Palette.h"

#include <QPainter>

namespace brisklet::ui {

OverviewSpinner::OverviewSpinner(const QString& accessibleName, QWidget* parent) : QWidget(parent) {
    setAccessibleName(accessibleName);
    setFixedSize(side, side);
    m_frames.setInterval(frameMilliseconds);
    connect(&m_frames, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + stepDegrees) % 360;
        update();
    });
}

void OverviewSpinner::showEvent(QShowEvent* event) {
    m_frames.start();
    QWidget::showEvent(event);
}

void OverviewSpinner::hideEvent(QHideEvent* event) {
    m_frames.stop();
    QWidget::hideEvent(event);
}

void OverviewSpinner::paintEvent(QPaintEvent*) {
    const Palette colors(palette());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal line = 2;
    const QRectF circle = QRectF(rect()).adjusted(line / 2 + 0.5, line / 2 + 0.5, -line / 2 - 0.5, -line / 2 - 0.5);
    painter.setPen(QPen(colors.primary(0.12), line));
    painter.drawEllipse(circle);
    QPen arc(colors.secondaryText(), line);
    arc.setCapStyle(Qt::RoundCap);
    painter.setPen(arc);
    // Angles count anticlockwise from three o'clock in sixteenths of a degree; the arc turns clockwise.
    painter.drawArc(circle, (90 - m_angle) * 16, -100 * 16);
}

} // namespace brisklet::ui
