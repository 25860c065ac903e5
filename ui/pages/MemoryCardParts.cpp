#include "ui/pages/MemoryCardParts.h"

#include "ui/theme/Palette.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>

#include <algorithm>

namespace brisklet::ui {

CardDivider::CardDivider(int indent, QWidget* parent) : QWidget(parent), m_indent(indent) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CardDivider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(QRect(m_indent, 0, width() - m_indent, 1), Palette(palette()).primary(0.1));
}

ElidedLine::ElidedLine(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ElidedLine::setRuns(QList<Run> runs) {
    const bool same = runs.size() == m_runs.size() &&
                      std::equal(runs.begin(), runs.end(), m_runs.begin(), [](const Run& a, const Run& b) {
                          return a.text == b.text && a.style == b.style && a.weight == b.weight;
                      });
    m_runs = std::move(runs);
    if (same) return;
    setAccessibleName(text());
    updateGeometry();
    update();
}

QString ElidedLine::text() const {
    QStringList texts;
    for (const Run& run : m_runs)
        if (!run.text.isEmpty()) texts << run.text;
    return texts.join(QLatin1Char(' '));
}

QFont ElidedLine::runFont(const Run& run) const {
    QFont shown = ui::font(run.style, font());
    shown.setWeight(run.weight);
    return shown;
}

QSize ElidedLine::sizeHint() const {
    int width = 0;
    int height = 0;
    for (const Run& run : m_runs) {
        const QFontMetrics metrics(runFont(run));
        width += (width > 0 ? runGap : 0) + metrics.horizontalAdvance(run.text);
        height = std::max(height, metrics.height());
    }
    return {width, height};
}

QSize ElidedLine::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

void ElidedLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Palette colors(palette());
    int x = 0;
    for (qsizetype i = 0; i < m_runs.size() && x < width(); ++i) {
        const Run& run = m_runs[i];
        if (run.text.isEmpty()) continue;
        const QFont shownFont = runFont(run);
        const QFontMetrics metrics(shownFont);
        const bool last = i + 1 == m_runs.size();
        // Earlier runs are short (a runtime's name); only the last one gives way.
        const QString shown = last ? metrics.elidedText(run.text, Qt::ElideMiddle, width() - x)
                                   : metrics.elidedText(run.text, Qt::ElideRight, width() - x);
        painter.setFont(shownFont);
        painter.setPen(run.tone ? run.tone(colors) : colors.primary());
        painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
        x += metrics.horizontalAdvance(shown) + runGap;
    }
}

void ElidedLine::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) updateGeometry();
    if (isThemeChange(event)) update();
    QWidget::changeEvent(event);
}

CardHeader makeCardHeader(const QString& title, const QString& note, QWidget* parent) {
    auto* widget = new QWidget(parent);
    auto* row = new QHBoxLayout(widget);
    row->setContentsMargins(16, 12, 16, 12);
    row->setSpacing(8);
    auto* titleLabel = new ToneLabel(title, TextStyle::headline, widget);
    titleLabel->setAccessibleName(title);
    row->addWidget(titleLabel, 0, Qt::AlignBottom);
    auto* detail = new ToneLabel({}, TextStyle::body, widget, &ToneLabel::secondary);
    detail->hide();
    row->addWidget(detail, 0, Qt::AlignBottom);
    row->addStretch();
    auto* noteLabel = new ToneLabel(note, TextStyle::caption, widget,
                                    [](const Palette& colors) { return colors.tertiaryText(); });
    noteLabel->setAccessibleName(note);
    row->addWidget(noteLabel, 0, Qt::AlignBottom);
    return {widget, detail, noteLabel};
}

} // namespace brisklet::ui
