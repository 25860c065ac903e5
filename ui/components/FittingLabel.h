#pragma once

#include <QLabel>

namespace brisklet::ui {

// A label of one line (or of the lines its text breaks into with "\n") that gives way when its
// column is narrower than the text: the text is drawn a little smaller rather than cut off or
// pushing its neighbours aside, down to a floor below which it is elided instead. Figures such as
// "9.92 GB of 16 GB" stay whole in tight columns; a caller whose text would not fit even at the
// floor (see fits) breaks it into two lines.
class FittingLabel final : public QLabel {
    Q_OBJECT

public:
    static constexpr qreal smallestScale = 0.8;

    explicit FittingLabel(QWidget* parent = nullptr);

    // Whether every line of `text` fits into `width` at no less than the smallest scale.
    static bool fits(const QString& text, const QFont& font, qreal width);

    QSize minimumSizeHint() const override;
    // The scale at which the text was last drawn, 1 when it fits as it is.
    qreal scale() const { return m_scale; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_scale = 1;
};

} // namespace brisklet::ui
