#include "ui/pages/OverviewFigure.h"

#include "ui/theme/Palette.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace brisklet::ui {

OverviewFigure::OverviewFigure(int pixelSize, QWidget* parent)
    : QWidget(parent), m_pixelSize(pixelSize), m_fade(new QVariantAnimation(this)) {
    m_fade->setDuration(fadeMilliseconds);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    m_fade->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this] { update(); });
    connect(m_fade, &QVariantAnimation::finished, this, [this] {
        m_previous.clear();
        update();
    });
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    rebuildFont();
}

void OverviewFigure::setText(const QString& text) {
    if (text == m_text) return;
    m_fade->stop();
    m_previous = isVisible() ? m_text : QString();
    m_text = text;
    setAccessibleName(text);
    if (!m_previous.isEmpty()) m_fade->start();
    updateGeometry();
    update();
}

void OverviewFigure::rebuildFont() {
    m_font = font();
    m_font.setPixelSize(m_pixelSize);
    m_font.setBold(true);
    updateGeometry();
}

QSize OverviewFigure::sizeHint() const {
    const QFontMetricsF metrics(m_font);
    const qreal width = std::max(metrics.horizontalAdvance(m_text), metrics.horizontalAdvance(m_previous));
    return {static_cast<int>(std::ceil(width)) + 1, static_cast<int>(std::ceil(metrics.height()))};
}

void OverviewFigure::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) rebuildFont();
    if (isThemeChange(event)) update();
    QWidget::changeEvent(event);
}

void OverviewFigure::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(m_font);
    painter.setPen(Palette(palette()).primary());
    const double progress =
        m_fade->state() == QAbstractAnimation::Running ? m_fade->currentValue().toDouble() : 1.0;
    const QRectF area = rect();
    if (!m_previous.isEmpty() && progress < 1) {
        painter.setOpacity(1 - progress);
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, m_previous);
    }
    painter.setOpacity(progress);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, m_text);
}

} // namespace brisklet::ui
