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

QFont Tag::textFont(const QFont& base) {
    QFont text = base;
    if (text.pointSizeF() > 0)
        text.setPointSizeF(text.pointSizeF() * captionScale);
    else
        text.setPixelSize(std::max(1, static_cast<int>(std::lround(text.pixelSize() * captionScale))));
    text.setWeight(QFont::DemiBold);
    return text;
}

QSize Tag::sizeFor(const QString& text, const QFont& base) {
    const QFontMetricsF metrics(textFont(base));
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(text))) + 2 * horizontalInset,
            static_cast<int>(std::ceil(metrics.height())) + 2 * verticalInset};
}

void Tag::paint(QPainter& painter, const QRectF& capsule, const QString& text, const QColor& color,
                const QFont& base) {
    paintCapsule(painter, capsule, color, fillOpacity);
    painter.setFont(textFont(base));
    painter.setPen(color);
    painter.drawText(capsule.adjusted(horizontalInset, verticalInset, -horizontalInset, -verticalInset),
                     Qt::AlignCenter, text);
}

void Tag::relayout() {
    m_sizeHint = sizeFor(m_text, font());
    updateGeometry();
}

void Tag::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, rect(), m_text, m_color, font());
}

} // namespace brisklet::ui
