#include "ui/components/FittingLabel.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace brisklet::ui {

FittingLabel::FittingLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize FittingLabel::minimumSizeHint() const {
    // Any width will do; the height is the full-size line's, so rows do not jump when it shrinks.
    return {0, QLabel::sizeHint().height()};
}

namespace {

QFont scaled(QFont f, qreal scale) {
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * scale);
    else
        f.setPixelSize(std::max(1, qRound(f.pixelSize() * scale)));
    return f;
}

} // namespace

void FittingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal available = contentsRect().width();
    const auto width = [this](const QFont& f) { return QFontMetricsF(f).horizontalAdvance(text()); };
    QFont f = font();
    m_scale = 1;
    // Glyph widths do not shrink in proportion with the size (hinting rounds them), so the scale is
    // refined until the line really fits.
    if (const qreal needed = width(f); needed > available && needed > 0) {
        m_scale = std::max(available / needed, smallestScale);
        while (width(scaled(font(), m_scale)) > available && m_scale > smallestScale)
            m_scale = std::max(m_scale - 0.02, smallestScale);
        f = scaled(font(), m_scale);
    }
    painter.setFont(f);
    painter.setPen(palette().color(foregroundRole()));
    const QString shown = QFontMetricsF(f).elidedText(text(), Qt::ElideRight, available);
    painter.drawText(contentsRect(), static_cast<int>(alignment() | Qt::TextSingleLine), shown);
}

} // namespace brisklet::ui
