#pragma once

#include <QTimer>
#include <QWidget>

namespace brisklet::ui {

// A small turning arc for work whose end nobody can foretell (a scan, a clean). It turns only while
// it is on screen, so a hidden spinner costs nothing.
class OverviewSpinner final : public QWidget {
    Q_OBJECT

public:
    static constexpr int side = 14;
    static constexpr int frameMilliseconds = 50;
    static constexpr int stepDegrees = 30;

    explicit OverviewSpinner(const QString& accessibleName, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {side, side}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer m_frames;
    int m_angle = 0;
};

} // namespace brisklet::ui
