#include "ui/components/ProminentButton.h"

#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace brisklet::ui {

namespace {

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - t) + b.redF() * t),
                            static_cast<float>(a.greenF() * (1 - t) + b.greenF() * t),
                            static_cast<float>(a.blueF() * (1 - t) + b.blueF() * t));
}

} // namespace

ProminentButton::ProminentButton(const QString& text, QWidget* parent)
    : ProminentButton(text, [](const Palette&) { return Palette::brand(); }, parent) {}

ProminentButton::ProminentButton(const QString& text, TintOf tintOf, QWidget* parent)
    : QPushButton(text, parent), m_tintOf(std::move(tintOf)) {
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ProminentButton::setSymbol(const QString& symbol) {
    if (symbol == m_symbol) return;
    m_symbol = symbol;
    updateGeometry();
    update();
}

void ProminentButton::setMinimumTextWidth(int width) {
    m_minimumTextWidth = width;
    updateGeometry();
}

QColor ProminentButton::fillColor() const {
    const Palette colors(palette());
    const QColor tint = m_tintOf(colors);
    if (isEnabled()) return isDown() ? tint.darker(115) : tint;
    return mix(colors.windowBackground(), tint, 0.25);
}

QColor ProminentButton::textColor() const {
    if (isEnabled()) return Qt::white;
    const Palette colors(palette());
    const QColor tint = m_tintOf(colors);
    return colors.isDark() ? tint.lighter(150) : tint.darker(170);
}

QSize ProminentButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    qreal width = std::max<qreal>(metrics.horizontalAdvance(text()), m_minimumTextWidth);
    if (!m_symbol.isEmpty()) width += symbolSize + symbolGap;
    const qreal height = std::max<qreal>(metrics.height(), symbolSize);
    return QSize(qCeil(width) + 2 * horizontalPadding, qCeil(height) + 2 * verticalPadding)
        .expandedTo(minimumSize());
}

void ProminentButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fillColor());
    painter.drawRoundedRect(box, radius, radius);
    if (hasFocus()) {
        QColor ring = m_tintOf(Palette(palette()));
        ring.setAlphaF(0.55f);
        painter.setPen(QPen(ring, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), radius + 1, radius + 1);
    }

    const QColor ink = textColor();
    const QFontMetricsF metrics(font());
    const qreal textWidth = metrics.horizontalAdvance(text());
    const qreal contentWidth = textWidth + (m_symbol.isEmpty() ? 0 : symbolSize + symbolGap);
    qreal x = (width() - contentWidth) / 2;
    if (!m_symbol.isEmpty()) {
        const QRectF symbolRect(x, (height() - symbolSize) / 2.0, symbolSize, symbolSize);
        Symbols::paint(painter, symbolRect, m_symbol.toStdString(), ink);
        x += symbolSize + symbolGap;
    }
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRectF(x, 0, textWidth + 1, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}

} // namespace brisklet::ui
