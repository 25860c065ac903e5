#pragma once

#include <QColor>
#include <QPushButton>
#include <QString>

#include <functional>

namespace brisklet::ui {

class Palette;

// The filled button a page leads with ("Scan", "Clean", "Delete 1.2 GB"): white text and an optional
// white symbol on a rounded fill of its tint. Disabled, it turns to a pale wash of the tint with the
// text in a deep shade of it, so it still reads but plainly does not take clicks. Keyboard focus
// draws a ring around it. Return and Space press it like any push button.
class ProminentButton final : public QPushButton {
    Q_OBJECT

public:
    static constexpr int horizontalPadding = 14;
    static constexpr int verticalPadding = 6;
    static constexpr qreal radius = 7;
    static constexpr int symbolSize = 14;
    static constexpr int symbolGap = 6;

    using TintOf = std::function<QColor(const Palette&)>;

    // The brand colour unless a tint is given; the tint is picked again when the theme changes.
    explicit ProminentButton(const QString& text, QWidget* parent = nullptr);
    ProminentButton(const QString& text, TintOf tintOf, QWidget* parent = nullptr);

    // A symbol name from the symbol table, drawn before the text; empty for none.
    void setSymbol(const QString& symbol);
    QString symbol() const { return m_symbol; }
    // The button never gets narrower than this, so a label that changes does not make it jump.
    void setMinimumTextWidth(int width);

    QColor fillColor() const;
    QColor textColor() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TintOf m_tintOf;
    QString m_symbol;
    int m_minimumTextWidth = 0;
};

} // namespace brisklet::ui
