#include "ui/components/FittingLabel.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace brisklet::ui {

namespace {

QFont scaled(QFont f, qreal scale) {
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * scale);
    else
        f.setPixelSize(std::max(1, qRound(f.pixelSize() * scale)));
    return f;
}

qreal widestLine(const QStringList& lines, const QFont& font) {
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

} // namespace

FittingLabel::FittingLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

bool FittingLabel::fits(const QString& text, const QFont& font, qreal width) {
    return widestLine(text.split(QLatin1Char('\n')), font) * smallestScale <= width;
}

QSize FittingLabel::minimumSizeHint() const {
    // Any width will do; the height is the full-size lines', so rows do not jump when it shrinks.
    return {0, QLabel::sizeHint().height()};
}

void FittingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF box = contentsRect();
    const QStringList lines = text().split(QLatin1Char('\n'));
    QFont f = font();
    m_scale = 1;
    // Glyph widths do not shrink in proportion with the size (hinting rounds them), so the scale is
    // refined until the lines really fit.
    if (const qreal needed = widestLine(lines, f); needed > box.width() && needed > 0) {
        m_scale = std::max(box.width() / needed, smallestScale);
        while (widestLine(lines, scaled(font(), m_scale)) > box.width() && m_scale > smallestScale)
            m_scale = std::max(m_scale - 0.02, smallestScale);
        f = scaled(font(), m_scale);
    }
    painter.setFont(f);
    painter.setPen(palette().color(foregroundRole()));
    const QFontMetricsF metrics(f);
    const qreal lineHeight = metrics.lineSpacing();
    const qreal blockHeight = lineHeight * static_cast<qreal>(lines.size());
    qreal y = box.top();
    if (alignment() & Qt::AlignVCenter)
        y += (box.height() - blockHeight) / 2;
    else if (alignment() & Qt::AlignBottom)
        y += box.height() - blockHeight;
    const int horizontal = static_cast<int>(alignment() & Qt::AlignHorizontal_Mask);
    for (const QString& line : lines) {
        const QString shown = metrics.elidedText(line, Qt::ElideRight, box.width());
        painter.drawText(QRectF(box.left(), y, box.width(), lineHeight),
                         horizontal | Qt::AlignVCenter | Qt::TextSingleLine, shown);
        y += lineHeight;
    }
}

} // namespace brisklet::ui
