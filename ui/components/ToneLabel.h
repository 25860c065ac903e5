#pragma once

#include "ui/theme/TextStyles.h"

#include <QColor>
#include <QLabel>

#include <functional>

namespace brisklet::ui {

class Palette;

// A label in one of the text styles whose colour is a meaning of the theme (the secondary style,
// orange), picked again whenever light and dark switch. Without a tone it keeps the text colour.
class ToneLabel final : public QLabel {
    Q_OBJECT

public:
    using Tone = std::function<QColor(const Palette&)>;

    ToneLabel(const QString& text, TextStyle style, QWidget* parent = nullptr, Tone tone = {});

    void setTone(Tone tone);

    static QColor secondary(const Palette& colors);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyTone();

    Tone m_tone;
};

} // namespace brisklet::ui
