#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>

class QPainter;
class QTimer;

namespace brisklet::ui {

// The small busy indicator of the junk page: a ring of ticks fading round. It turns only while it
// is shown, so a page in the background costs nothing.
class JunkSpinner final : public QWidget {
    Q_OBJECT

public:
    static constexpr int side = 16;
    static constexpr int ticks = 8;
    static constexpr int tickMilliseconds = 90;

    explicit JunkSpinner(QWidget* parent = nullptr);

    // One frame of the spinner in `rect`, the brightest tick at `step` (any integer).
    static void paint(QPainter& painter, const QRectF& rect, int step, const QColor& color);

    QSize sizeHint() const override { return {side, side}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer* m_timer;
    int m_step = 0;
};

} // namespace brisklet::ui
