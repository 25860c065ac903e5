#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

class QVariantAnimation;

namespace brisklet::ui {

// A large figure ("182.4 GB") whose changes cross-fade from the old text to the new one: the same
// transition as the percentage in the rings, so figures that move together change alike.
class OverviewFigure final : public QWidget {
    Q_OBJECT

public:
    static constexpr int fadeMilliseconds = 200;

    // In a bold font of `pixelSize`.
    explicit OverviewFigure(int pixelSize, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    // Fades to the new text when the figure is on screen; sets it at once otherwise.
    void setText(const QString& text);
    QVariantAnimation* fadeAnimation() const { return m_fade; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuildFont();

    QString m_text;
    QString m_previous;
    int m_pixelSize;
    QFont m_font;
    QVariantAnimation* m_fade;
};

} // namespace brisklet::ui
