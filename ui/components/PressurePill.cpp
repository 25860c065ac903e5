#include "ui/components/PressurePill.h"

#include "ui/components/Capsule.h"
#include "ui/theme/Palette.h"
#include "ui/theme/TextStyles.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace brisklet::ui {

PressurePill::PressurePill(MemoryPressure pressure, QWidget* parent)
    : QWidget(parent), m_pressure(pressure), m_label(pressureLabel(pressure)) {
    rebuildColors(Palette(palette()));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(m_label);
    relayout();
}

void PressurePill::setPressure(MemoryPressure pressure) {
    if (pressure == m_pressure) return;
    m_pressure = pressure;
    m_label = pressureLabel(pressure);
    m_color = Palette(palette()).pressureColor(pressure);
    setAccessibleName(m_label);
    relayout();
    update();
}

QRectF PressurePill::dotRect() const {
    return {static_cast<qreal>(horizontalInset), (height() - dotSize) / 2.0, static_cast<qreal>(dotSize),
            static_cast<qreal>(dotSize)};
}

void PressurePill::changeEvent(QEvent* event) {
    rebuildOnThemeChange(*this, event, [this](const Palette& colors) { rebuildColors(colors); });
    if (event->type() == QEvent::FontChange) relayout();
    QWidget::changeEvent(event);
}

void PressurePill::rebuildColors(const Palette& colors) {
    m_color = colors.pressureColor(m_pressure);
    m_textColor = colors.primary();
}

void PressurePill::relayout() {
    m_textFont = ui::font(TextStyle::caption, font());
    m_textFont.setWeight(QFont::Medium);
    const QFontMetricsF metrics(m_textFont);
    const auto textWidth = static_cast<int>(std::ceil(metrics.horizontalAdvance(m_label)));
    const auto textHeight = static_cast<int>(std::ceil(metrics.height()));
    m_sizeHint = QSize(2 * horizontalInset + dotSize + dotSpacing + textWidth,
                       std::max(textHeight, dotSize) + 2 * verticalInset);
    updateGeometry();
}

void PressurePill::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = rect();
    paintCapsule(painter, capsule, m_color, fillOpacity);
    painter.setBrush(m_color);
    painter.drawEllipse(dotRect());
    painter.setFont(m_textFont);
    painter.setPen(m_textColor);
    const qreal textLeft = horizontalInset + dotSize + dotSpacing;
    painter.drawText(QRectF(textLeft, 0, capsule.width() - textLeft - horizontalInset, capsule.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, m_label);
}

} // namespace brisklet::ui
