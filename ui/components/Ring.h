#pragma once

#include <QColor>
#include <QConicalGradient>
#include <QList>
#include <QWidget>

class QVariantAnimation;

namespace brisklet::ui {

// A circular gauge: a faint track and, over it, an arc from twelve o'clock clockwise, stroked in an
// angular gradient. Derived by the percentage ring, which draws its text inside.
class Ring : public QWidget {
    Q_OBJECT

public:
    enum class Transition { animated, immediate };

    // The least and most of the circle the arc covers, so that an empty gauge still reads as a gauge.
    static constexpr double minimumSweep = 0.003;
    static constexpr double maximumSweep = 1.0;
    // Below this the gradient keeps its spread, so that a short arc does not run through every colour.
    static constexpr double minimumGradientSpan = 0.05;
    static constexpr int animationMilliseconds = 600;

    explicit Ring(QWidget* parent = nullptr);
    ~Ring() override;

    double fraction() const { return m_fraction; }
    // What the arc shows now, which lags behind fraction() while a change animates.
    double shownFraction() const { return m_shown; }
    void setFraction(double fraction, Transition transition = Transition::animated);

    qreal lineWidth() const { return m_lineWidth; }
    void setLineWidth(qreal lineWidth);

    const QList<QColor>& colors() const { return m_colors; }
    void setColors(const QList<QColor>& colors);

    // The running change of fraction; tests step it with setCurrentTime.
    QVariantAnimation* fractionAnimation() const { return m_animation; }

    // The part of the circle the arc covers for a fraction: never empty, never more than once round.
    static double sweep(double fraction);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // The square the ring's stroke is centred on.
    QRectF ringRect() const;
    void paintRing(QPainter& painter);
    // Lets the percentage ring follow each new fraction together with how it is to change.
    virtual void fractionSet(Transition transition);
    // Whether moving the arc between the two fractions shifts it by half a device pixel or more;
    // smaller changes are shown at once rather than animated.
    bool isVisibleChange(double from, double to) const;

private:
    void showFraction(double fraction);

    double m_fraction = 0;
    double m_shown = 0;
    qreal m_lineWidth = 10;
    QList<QColor> m_colors;
    QVariantAnimation* m_animation;
    // Rebuilt only when the colours or the shown fraction change, not on every repaint.
    QConicalGradient m_gradient;
    bool m_gradientStale = true;
    double m_gradientCap = 0; // the start cap's reach the gradient was built for
};

} // namespace brisklet::ui
