#include "ui/pages/MemorySummaryCard.h"

#include "core/fs/Bytes.h"
#include "ui/components/Card.h"
#include "ui/components/PercentRing.h"
#include "ui/components/PressurePill.h"
#include "ui/components/Sparkline.h"
#include "ui/components/ToneLabel.h"
#include "ui/pages/OverviewFigure.h"
#include "ui/theme/Palette.h"
#include "ui/theme/TextStyles.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace brisklet::ui {

class MemorySummaryCard::LegendEntry final : public QWidget {
public:
    static constexpr int swatchSide = 9;
    static constexpr qreal swatchRadius = 2;
    static constexpr int swatchGap = 6;
    static constexpr int figureGap = 6;

    LegendEntry(QString name, Entry entry, QWidget* parent) : QWidget(parent), m_name(std::move(name)), m_entry(entry) {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        rebuildFonts();
    }

    QString text() const { return m_name + QLatin1Char(' ') + m_figure; }

    void setFigure(const QString& figure) {
        if (figure == m_figure) return;
        m_figure = figure;
        setAccessibleName(text());
        updateGeometry();
        update();
    }

    QSize sizeHint() const override {
        const int width = swatchSide + swatchGap + QFontMetrics(m_nameFont).horizontalAdvance(m_name) + figureGap +
                          QFontMetrics(m_figureFont).horizontalAdvance(m_figure);
        return {width, std::max(QFontMetrics(m_nameFont).height(), QFontMetrics(m_figureFont).height())};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::FontChange) rebuildFonts();
        if (isThemeChange(event)) update();
        QWidget::changeEvent(event);
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const Palette colors(palette());
        const QColor swatch = swatchColor(colors);
        const QRectF box(0, (height() - swatchSide) / 2.0, swatchSide, swatchSide);
        if (swatch.alpha() > 0) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(swatch);
            painter.drawRoundedRect(box, swatchRadius, swatchRadius);
        }
        int x = swatchSide + swatchGap;
        painter.setFont(m_nameFont);
        painter.setPen(colors.secondaryText());
        painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter, m_name);
        x += QFontMetrics(m_nameFont).horizontalAdvance(m_name) + figureGap;
        painter.setFont(m_figureFont);
        painter.setPen(colors.primary());
        painter.drawText(QRect(x, 0, std::max(0, width() - x), height()), Qt::AlignLeft | Qt::AlignVCenter, m_figure);
    }

private:
    QColor swatchColor(const Palette& colors) const {
        switch (m_entry) {
        case Entry::app: return MemoryBar::color(MemoryBar::Part::app, colors);
        case Entry::wired: return MemoryBar::color(MemoryBar::Part::wired, colors);
        case Entry::compressed: return MemoryBar::color(MemoryBar::Part::compressed, colors);
        case Entry::cached: return MemoryBar::color(MemoryBar::Part::cached, colors);
        case Entry::free: return colors.primary(0.15);
        case Entry::swapUsed: return Qt::transparent; // swap has no part of the bar to point at
        }
        return Qt::transparent;
    }

    void rebuildFonts() {
        m_nameFont = ui::font(TextStyle::callout, font());
        m_figureFont = m_nameFont;
        m_figureFont.setWeight(QFont::Medium);
        updateGeometry();
    }

    QString m_name;
    Entry m_entry;
    QString m_figure;
    QFont m_nameFont;
    QFont m_figureFont;
};

namespace {

QString memoryText(std::uint64_t bytes) {
    return QString::fromStdString(Bytes::memory(bytes));
}

QColor historyColor(MemoryPressure pressure, const Palette& colors) {
    switch (pressure) {
    case MemoryPressure::critical: return colors.red();
    case MemoryPressure::warning: return colors.orange();
    case MemoryPressure::normal: return colors.purple();
    }
    return colors.purple();
}

} // namespace

MemorySummaryCard::MemorySummaryCard(QWidget* parent) : QWidget(parent), m_card(new Card(this, 20)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_card);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    auto* content = new QWidget;
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(26);
    m_ring = new PercentRing(content);
    m_ring->setFixedSize(ringSide, ringSide);
    m_ring->setLineWidth(ringLine);
    m_ring->setFontSize(ringFont);
    m_ring->setCaption(QStringLiteral("used"));
    row->addWidget(m_ring, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(12);
    row->addLayout(column, 1);

    auto* figureLine = new QHBoxLayout;
    figureLine->setSpacing(8);
    m_figure = new OverviewFigure(figureSize, content);
    figureLine->addWidget(m_figure, 0, Qt::AlignBottom);
    m_total = new ToneLabel({}, TextStyle::body, content, &ToneLabel::secondary);
    // Sits on the figure's baseline rather than on its bottom edge, which lies lower by the descent.
    m_total->setContentsMargins(0, 0, 0, std::max(0, QFontMetrics(m_figure->font()).descent() - 3));
    figureLine->addWidget(m_total, 0, Qt::AlignBottom);
    figureLine->addStretch();
    m_pill = new PressurePill(MemoryPressure::normal, content);
    figureLine->addWidget(m_pill, 0, Qt::AlignVCenter);
    column->addLayout(figureLine);

    m_bar = new MemoryBar(content);
    column->addWidget(m_bar);

    auto* legend = new QGridLayout;
    legend->setHorizontalSpacing(18);
    legend->setVerticalSpacing(6);
    const std::pair<Entry, QString> entries[] = {
        {Entry::app, QStringLiteral("App memory")},     {Entry::wired, QStringLiteral("Wired")},
        {Entry::compressed, QStringLiteral("Compressed")}, {Entry::cached, QStringLiteral("Cached files")},
        {Entry::free, QStringLiteral("Free")},          {Entry::swapUsed, QStringLiteral("Swap used")}};
    int position = 0;
    for (const auto& [which, name] : entries) {
        auto* entry = new LegendEntry(name, which, content);
        m_entries[static_cast<std::size_t>(which)] = entry;
        legend->addWidget(entry, position / 3, position % 3, Qt::AlignLeft);
        ++position;
    }
    column->addLayout(legend);

    m_sparkline = new Sparkline(content);
    m_sparkline->setCapacity(90);
    m_sparkline->setFixedHeight(sparklineHeight);
    m_sparkline->setAccessibleName(QStringLiteral("Memory used over the last 3 minutes"));
    m_sparklineCaption = new ToneLabel(QStringLiteral("Last 3 minutes"), TextStyle::caption2, m_sparkline,
                                       [](const Palette& colors) { return colors.tertiaryText(); });
    m_sparklineCaption->move(0, 0);
    m_sparklineCaption->adjustSize();
    column->addWidget(m_sparkline);

    m_card->setContent(content);
    setSnapshot({});
}

const MemorySummaryCard::LegendEntry& MemorySummaryCard::entry(Entry which) const {
    return *m_entries[static_cast<std::size_t>(which)];
}

QString MemorySummaryCard::entryText(Entry which) const {
    return entry(which).text();
}

void MemorySummaryCard::setSnapshot(const MemorySnapshot& snapshot) {
    m_snapshot = snapshot;
    m_ring->setFraction(snapshot.usedFraction());
    m_figure->setText(memoryText(snapshot.used()));
    m_total->setText(QStringLiteral("used of ") + memoryText(snapshot.total));
    m_pill->setPressure(snapshot.pressure);
    m_bar->setSnapshot(snapshot);
    const std::pair<Entry, std::uint64_t> figures[] = {
        {Entry::app, snapshot.app},       {Entry::wired, snapshot.wired}, {Entry::compressed, snapshot.compressed},
        {Entry::cached, snapshot.cached}, {Entry::free, snapshot.free()}, {Entry::swapUsed, snapshot.swapUsed}};
    for (const auto& [which, bytes] : figures)
        m_entries[static_cast<std::size_t>(which)]->setFigure(memoryText(bytes));
    setAccessibleName(QStringLiteral("Memory: ") + m_figure->text() + QLatin1Char(' ') + m_total->text() +
                      QStringLiteral(", pressure ") + m_pill->label());
    rebuildColors();
}

void MemorySummaryCard::setHistory(const std::vector<double>& history) {
    m_sparkline->setValues(QList<double>(history.begin(), history.end()));
}

void MemorySummaryCard::changeEvent(QEvent* event) {
    if (isThemeChange(event)) rebuildColors();
    QWidget::changeEvent(event);
}

void MemorySummaryCard::rebuildColors() {
    const Palette colors(palette());
    const auto ring = colors.ringColors(m_snapshot.pressure);
    m_ring->setColors({ring[0], ring[1]});
    m_sparkline->setColor(historyColor(m_snapshot.pressure, colors));
}

} // namespace brisklet::ui
