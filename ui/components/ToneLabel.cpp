#include "ui/components/ToneLabel.h"

#include "ui/theme/Palette.h"

#include <QEvent>

namespace brisklet::ui {

ToneLabel::ToneLabel(const QString& text, TextStyle style, QWidget* parent, Tone tone)
    : QLabel(text, parent), m_tone(std::move(tone)) {
    setFont(ui::font(style));
    setTextFormat(Qt::PlainText);
    applyTone();
}

void ToneLabel::setTone(Tone tone) {
    m_tone = std::move(tone);
    applyTone();
}

QColor ToneLabel::secondary(const Palette& colors) {
    return colors.secondaryText();
}

void ToneLabel::applyTone() {
    if (!m_tone) return;
    // The tone is worked out from the surroundings' palette: this label's own holds the tone already.
    const QPalette base = parentWidget() ? parentWidget()->palette() : QPalette();
    const QColor color = m_tone(Palette(base));
    QPalette own = palette();
    if (own.color(QPalette::WindowText) == color && own.color(QPalette::ButtonText) == color) return;
    // Inside a button a label writes in the button's text role, elsewhere in the window's.
    own.setColor(QPalette::WindowText, color);
    own.setColor(QPalette::ButtonText, color);
    setPalette(own);
}

void ToneLabel::changeEvent(QEvent* event) {
    // Setting the colour is itself a palette change; the second round finds the colour in place.
    if (isThemeChange(event)) applyTone();
    QLabel::changeEvent(event);
}

} // namespace brisklet::ui
