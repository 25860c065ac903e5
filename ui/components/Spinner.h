#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>

class QPainter;
class QTimer;

namespace brisklet::ui {

// The small busy indicator for work whose end nobody can foretell (a scan, a clean): a ring of
// ticks fading round. It turns only while it is shown, so a page in the background costs nothing.
// List delegates draw the same frames through paint().
class Spinner final : public QWidget {
    Q_OBJECT

public:
    static constexpr int side = 16;
    static constexpr int ticks = 8;
    static constexpr int tickMilliseconds = 90;

    // `accessibleName` says what is under way ("Scanning", "Cleaning").
    explicit Spinner(const QString& accessibleName = QStringLiteral("Working"), QWidget* parent = nullptr);

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
