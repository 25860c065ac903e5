#include "ui/components/Tag.h"

#include "ui/components/Capsule.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace brisklet::ui {

namespace {

// The smallest caption size, relative to the application's body text.
constexpr double captionScale = 0.77;

} // namespace

Tag::Tag(QWidget* parent) : Tag({}, Qt::gray, parent) {}

Tag::Tag(const QString& text, const QColor& color, QWidget* parent)
    : QWidget(parent), m_text(text), m_color(color) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    relayout();
}

void Tag::setText(const QString& text) {
    if (text == m_text) return;
    m_text = text;
    relayout();
    update();
}

void Tag::setColor(const QColor& color) {
    if (color == m_color) return;
    m_color = color;
    update();
}

void Tag::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) relayout();
    QWidget::changeEvent(event);
}

void Tag::relayout() {
    m_textFont = font();
    if (m_textFont.pointSizeF() > 0)
        m_textFont.setPointSizeF(m_textFont.pointSizeF() * captionScale);
    else
        m_textFont.setPixelSize(
            std::max(1, static_cast<int>(std::lround(m_textFont.pixelSize() * captionScale))));
    m_textFont.setWeight(QFont::DemiBold);
    const QFontMetricsF metrics(m_textFont);
    m_sizeHint = QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(m_text))) + 2 * horizontalInset,
                       static_cast<int>(std::ceil(metrics.height())) + 2 * verticalInset);
    updateGeometry();
}

void Tag::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = rect();
    paintCapsule(painter, capsule, m_color, fillOpacity);
    painter.setFont(m_textFont);
    painter.setPen(m_color);
    painter.drawText(capsule.adjusted(horizontalInset, verticalInset, -horizontalInset, -verticalInset),
                     Qt::AlignCenter, m_text);
}

} // namespace brisklet::ui
