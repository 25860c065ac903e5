#pragma once

#include "ui/components/Ring.h"

#include <QFont>
#include <QString>

class QVariantAnimation;

namespace brisklet::ui {

// A ring with its fraction written inside as a whole percentage, and an optional caption below.
class PercentRing final : public Ring {
    Q_OBJECT

public:
    // The change of text is a short cross-fade from the old figure to the new one, which reads as the
    // figure rolling over without the digits sliding about in a small ring.
    static constexpr int textFadeMilliseconds = 200;

    explicit PercentRing(QWidget* parent = nullptr);
    ~PercentRing() override;

    // The fraction as a whole percentage, halves rounded away from zero: 0.125 is "13%".
    static QString percentText(double fraction);

    QString text() const { return m_text; }

    qreal fontSize() const { return m_fontSize; }
    void setFontSize(qreal pixels);

    QString caption() const { return m_caption; }
    // An empty caption shows none.
    void setCaption(const QString& caption);

    QVariantAnimation* textAnimation() const { return m_textFade; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void fractionSet(Transition transition) override;

private:
    void rebuildFonts();
    qreal figureWidth(const QString& text) const;
    void drawFigure(QPainter& painter, const QString& text, qreal left, qreal baseline) const;

    QString m_text;
    QString m_previousText;
    qreal m_fontSize = 28;
    QString m_caption;
    QVariantAnimation* m_textFade;
    // Derived from the sizes and the widget's font; rebuilt only when those change.
    QFont m_figureFont;
    QFont m_captionFont;
    qreal m_digitWidth = 0;
};

} // namespace brisklet::ui
