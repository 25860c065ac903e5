#pragma once

#include <QLabel>

namespace brisklet::ui {

// A one-line label that gives way when its column is narrower than the text: the text is drawn a
// little smaller rather than cut off or pushing its neighbours aside, down to a floor below which
// it is elided instead. Figures such as "9.92 GB of 16 GB" stay whole in tight columns.
class FittingLabel final : public QLabel {
    Q_OBJECT

public:
    static constexpr qreal smallestScale = 0.8;

    explicit FittingLabel(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    // The scale at which the text was last drawn, 1 when it fits as it is.
    qreal scale() const { return m_scale; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_scale = 1;
};

} // namespace brisklet::ui
