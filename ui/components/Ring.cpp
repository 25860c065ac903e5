#include "ui/components/Ring.h"

#include <QEasingCurve>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace brisklet::ui {

namespace {

constexpr double trackOpacity = 0.08;

QColor withOpacity(QColor color, double opacity) {
    color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return color;
}

// Qt measures angles counter-clockwise from three o'clock, while the arc and its gradient run
// clockwise from twelve: a clockwise position t lies at gradient position 1 − t from a start at 90°.
// `cap` is how far, as a share of the circle, the round cap at the start reaches back past twelve.
QConicalGradient clockwiseGradient(const QList<QColor>& colors, double span, double cap) {
    QConicalGradient gradient(QPointF(0, 0), 90);
    if (colors.isEmpty()) return gradient;
    const QColor last = colors.last();
    // Past the end of the span the gradient holds its last colour, as far as the seam at twelve.
    // The start cap lies just behind that seam: it keeps the first colour, or a short arc would
    // start with a blob of its end colour.
    if (span + 2 * cap < 1) {
        gradient.setColorAt(0, colors.first());
        gradient.setColorAt(cap, colors.first());
        gradient.setColorAt(cap + 1e-4, last);
    } else {
        gradient.setColorAt(0, last);
    }
    if (span < 1) gradient.setColorAt(1 - span, last);
    if (colors.size() == 1) {
        gradient.setColorAt(1, colors.first());
        return gradient;
    }
    const auto steps = static_cast<double>(colors.size() - 1);
    for (qsizetype i = 0; i < colors.size(); ++i)
        gradient.setColorAt(1 - span * (static_cast<double>(i) / steps), colors[i]);
    return gradient;
}

} // namespace

Ring::Ring(QWidget* parent) : QWidget(parent), m_animation(new QVariantAnimation(this)) {
    m_animation->setDuration(animationMilliseconds);
    m_animation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { showFraction(value.toDouble()); });
}

Ring::~Ring() = default;

double Ring::sweep(double fraction) {
    if (!std::isfinite(fraction)) return minimumSweep;
    return std::clamp(fraction, minimumSweep, maximumSweep);
}

void Ring::setFraction(double fraction, Transition transition) {
    if (fraction == m_fraction) return;
    m_fraction = fraction;
    m_animation->stop();
    if (transition == Transition::animated && isVisibleChange(m_shown, fraction)) {
        m_animation->setStartValue(m_shown);
        m_animation->setEndValue(fraction);
        m_animation->start();
    } else {
        showFraction(fraction);
    }
    fractionSet(transition);
}

void Ring::fractionSet(Transition) {}

bool Ring::isVisibleChange(double from, double to) const {
    // On a live machine the used fraction moves by a hair every couple of seconds; animating each
    // such step would keep the ring repainting most of the time for nothing anyone could see.
    const qreal radius = ringRect().width() / 2;
    return 2 * std::numbers::pi * radius * std::abs(to - from) * devicePixelRatioF() >= 0.5;
}

void Ring::showFraction(double fraction) {
    if (fraction == m_shown) return;
    m_shown = fraction;
    m_gradientStale = true;
    update();
}

void Ring::setLineWidth(qreal lineWidth) {
    if (lineWidth == m_lineWidth) return;
    m_lineWidth = lineWidth;
    updateGeometry();
    update();
}

void Ring::setColors(const QList<QColor>& colors) {
    if (colors == m_colors) return;
    m_colors = colors;
    m_gradientStale = true;
    update();
}

QSize Ring::sizeHint() const {
    const int side = static_cast<int>(std::ceil(m_lineWidth * 6));
    return {side, side};
}

QRectF Ring::ringRect() const {
    const qreal side = std::max<qreal>(0, std::min(width(), height()) - m_lineWidth);
    QRectF square(0, 0, side, side);
    square.moveCenter(QRectF(rect()).center());
    return square;
}

void Ring::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintRing(painter);
}

void Ring::paintRing(QPainter& painter) {
    const QRectF square = ringRect();
    if (square.isEmpty()) return;
    painter.setRenderHint(QPainter::Antialiasing);

    QPen track(withOpacity(palette().color(QPalette::WindowText), trackOpacity), m_lineWidth);
    painter.setPen(track);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(square);

    if (m_colors.isEmpty()) return;
    const double swept = sweep(m_shown);
    const double cap = m_lineWidth / 2 / (M_PI * square.width());
    if (m_gradientStale || cap != m_gradientCap) {
        m_gradient = clockwiseGradient(m_colors, std::max(swept, minimumGradientSpan), cap);
        m_gradientCap = cap;
        m_gradientStale = false;
    }
    QConicalGradient gradient = m_gradient;
    gradient.setCenter(square.center());
    QPen arc(QBrush(gradient), m_lineWidth, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(arc);
    QPainterPath path;
    path.arcMoveTo(square, 90);
    path.arcTo(square, 90, -360 * swept);
    painter.drawPath(path);
}

} // namespace brisklet::ui
