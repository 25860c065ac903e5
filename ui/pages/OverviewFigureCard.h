#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QBoxLayout;

namespace brisklet::ui {

class Card;
class OverviewFigure;
class PercentRing;
class ToneLabel;

// One of the overview's two gauges (storage, memory): a card with a percentage ring and, beside it,
// the gauge's name, its figure in large type and a line of detail. Given an activation, the whole
// card becomes one button: the pointer turns into a hand, and Space or Return press it too.
class OverviewFigureCard final : public QWidget {
    Q_OBJECT

public:
    static constexpr int padding = 20;
    static constexpr int ringSide = 100;
    static constexpr int ringLine = 13;
    static constexpr int ringFont = 24;
    static constexpr int figureSize = 30;
    static constexpr int ringGap = 20;
    static constexpr int figureRowGap = 8;

    OverviewFigureCard(const QString& title, const QString& symbol, QWidget* parent = nullptr);

    PercentRing* ring() const { return m_ring; }
    OverviewFigure* figure() const { return m_figure; }
    // Changes the figure, moving what stands beside it under it when the two no longer fit.
    void setFigure(const QString& text);
    ToneLabel* detail() const { return m_detail; }
    // Puts a widget after the figure, on its line while the card is wide enough for both, else
    // under it.
    void addBesideFigure(QWidget* widget);
    bool figureRowWraps() const;

    // Makes the card a button with this accessible name; without it, the card takes no clicks.
    void setActivation(std::function<void()> activate, const QString& accessibleName);
    bool isActivatable() const { return static_cast<bool>(m_activate); }
    // What a click, Space, Return or an assistive tool's press does.
    void activate();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class FocusRing;

    void fitFigureRow();

    Card* m_card;
    PercentRing* m_ring;
    OverviewFigure* m_figure;
    QBoxLayout* m_figureRow;
    ToneLabel* m_detail;
    FocusRing* m_focusRing;
    std::function<void()> m_activate;
    bool m_pressed = false;
};

} // namespace brisklet::ui
