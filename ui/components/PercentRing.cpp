#include "ui/components/PercentRing.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace brisklet::ui {

namespace {

// Caption text sits a little below the application's body size, in the faded secondary style.
constexpr double captionScale = 0.85;
constexpr double secondaryOpacity = 0.5;
constexpr qreal captionGap = 2;
// Far beyond any real fraction, but keeps the rounding inside an integer.
constexpr double largestPercent = 1e9;

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

PercentRing::PercentRing(QWidget* parent)
    : Ring(parent), m_text(percentText(fraction())), m_textFade(new QVariantAnimation(this)) {
    m_textFade->setDuration(textFadeMilliseconds);
    m_textFade->setStartValue(0.0);
    m_textFade->setEndValue(1.0);
    m_textFade->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_textFade, &QVariantAnimation::valueChanged, this, [this] { update(); });
    connect(m_textFade, &QVariantAnimation::finished, this, [this] {
        m_previousText.clear();
        update();
    });
    rebuildFonts();
}

PercentRing::~PercentRing() = default;

QString PercentRing::percentText(double fraction) {
    double percent = std::isfinite(fraction) ? fraction * 100 : 0;
    percent = std::clamp(percent, -largestPercent, largestPercent);
    // std::llround takes halves away from zero, unlike banker's rounding.
    return QString::number(std::llround(percent)) + u'%';
}

void PercentRing::setFontSize(qreal pixels) {
    if (pixels == m_fontSize) return;
    m_fontSize = pixels;
    rebuildFonts();
    update();
}

void PercentRing::setCaption(const QString& caption) {
    if (caption == m_caption) return;
    m_caption = caption;
    update();
}

void PercentRing::fractionSet(Transition transition) {
    QString text = percentText(fraction());
    if (text == m_text) return;
    m_textFade->stop();
    if (transition == Transition::animated) {
        m_previousText = m_text;
        m_text = std::move(text);
        m_textFade->start();
    } else {
        m_previousText.clear();
        m_text = std::move(text);
    }
    update();
}

void PercentRing::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) rebuildFonts();
    Ring::changeEvent(event);
}

void PercentRing::rebuildFonts() {
    m_figureFont = font();
    m_figureFont.setPixelSize(std::max(1, static_cast<int>(std::lround(m_fontSize))));
    m_figureFont.setWeight(QFont::Bold);
    m_captionFont = font();
    if (m_captionFont.pointSizeF() > 0)
        m_captionFont.setPointSizeF(m_captionFont.pointSizeF() * captionScale);
    else
        m_captionFont.setPixelSize(std::max(1, static_cast<int>(m_captionFont.pixelSize() * captionScale)));
    // Every digit gets the widest digit's cell, so that the figure keeps its width as it counts.
    const QFontMetricsF metrics(m_figureFont);
    m_digitWidth = 0;
    for (char16_t d = u'0'; d <= u'9'; ++d)
        m_digitWidth = std::max(m_digitWidth, metrics.horizontalAdvance(QChar(d)));
}

qreal PercentRing::figureWidth(const QString& text) const {
    const QFontMetricsF metrics(m_figureFont);
    qreal width = 0;
    for (QChar c : text)
        width += isDigit(c) ? m_digitWidth : metrics.horizontalAdvance(c);
    return width;
}

void PercentRing::drawFigure(QPainter& painter, const QString& text, qreal left, qreal baseline) const {
    const QFontMetricsF metrics(m_figureFont);
    for (QChar c : text) {
        const qreal advance = metrics.horizontalAdvance(c);
        const qreal cell = isDigit(c) ? m_digitWidth : advance;
        painter.drawText(QPointF(left + (cell - advance) / 2, baseline), QString(c));
        left += cell;
    }
}

void PercentRing::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintRing(painter);

    const QFontMetricsF figureMetrics(m_figureFont);
    const QFontMetricsF captionMetrics(m_captionFont);
    const bool hasCaption = !m_caption.isEmpty();
    const qreal height = figureMetrics.height() + (hasCaption ? captionGap + captionMetrics.height() : 0);
    const QPointF centre = QRectF(rect()).center();
    const qreal top = centre.y() - height / 2;
    const qreal baseline = top + figureMetrics.ascent();

    const QColor primary = palette().color(QPalette::WindowText);
    painter.setFont(m_figureFont);
    painter.setPen(primary);
    const bool fading = !m_previousText.isEmpty() && m_textFade->state() == QAbstractAnimation::Running;
    const double progress = fading ? m_textFade->currentValue().toDouble() : 1.0;
    if (fading) {
        painter.setOpacity(1 - progress);
        drawFigure(painter, m_previousText, centre.x() - figureWidth(m_previousText) / 2, baseline);
    }
    painter.setOpacity(progress);
    drawFigure(painter, m_text, centre.x() - figureWidth(m_text) / 2, baseline);
    painter.setOpacity(1);

    if (!hasCaption) return;
    QColor secondary = primary;
    secondary.setAlphaF(static_cast<float>(primary.alphaF() * secondaryOpacity));
    painter.setFont(m_captionFont);
    painter.setPen(secondary);
    const qreal captionTop = top + figureMetrics.height() + captionGap;
    const QRectF captionRect(rect().left(), captionTop, width(), captionMetrics.height());
    painter.drawText(captionRect, Qt::AlignHCenter | Qt::AlignTop, m_caption);
}

} // namespace brisklet::ui
