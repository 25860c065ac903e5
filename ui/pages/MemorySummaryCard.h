#pragma once

#include "core/proc/MemorySnapshot.h"
#include "ui/pages/MemoryBar.h"

#include <QWidget>

#include <array>
#include <vector>

class QLabel;

namespace brisklet::ui {

class Card;
class OverviewFigure;
class PercentRing;
class PressurePill;
class Sparkline;
class ToneLabel;

// The memory page's summary: the used fraction as a ring; beside it the used figure, the total and
// the pressure; the bar of where memory goes with its legend; and the last three minutes as a line.
class MemorySummaryCard final : public QWidget {
    Q_OBJECT

public:
    static constexpr int ringSide = 132;
    static constexpr int ringLine = 15;
    static constexpr int ringFont = 28;
    static constexpr int figureSize = 30;
    static constexpr int sparklineHeight = 38;

    // One entry of the legend: a swatch of its colour (none for swap, which the bar does not show),
    // its name and its figure.
    class LegendEntry;
    enum class Entry { app, wired, compressed, cached, free, swapUsed };

    explicit MemorySummaryCard(QWidget* parent = nullptr);

    void setSnapshot(const MemorySnapshot& snapshot);
    // Used fractions, oldest first.
    void setHistory(const std::vector<double>& history);

    PercentRing* ring() const { return m_ring; }
    OverviewFigure* figure() const { return m_figure; }
    PressurePill* pill() const { return m_pill; }
    MemoryBar* bar() const { return m_bar; }
    Sparkline* sparkline() const { return m_sparkline; }
    const LegendEntry& entry(Entry which) const;
    // What the legend entry shows, name and figure: "Wired 2.1 GB".
    QString entryText(Entry which) const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuildColors();

    Card* m_card;
    PercentRing* m_ring;
    OverviewFigure* m_figure;
    ToneLabel* m_total;
    PressurePill* m_pill;
    MemoryBar* m_bar;
    std::array<LegendEntry*, 6> m_entries{};
    Sparkline* m_sparkline;
    QLabel* m_sparklineCaption;
    MemorySnapshot m_snapshot;
};

} // namespace brisklet::ui
