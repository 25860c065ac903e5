#include "ui/components/Sparkline.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPen>

namespace brisklet::ui {

Sparkline::Sparkline(QWidget* parent) : QWidget(parent) {}

QList<QPointF> Sparkline::points(const QList<double>& values, int capacity, QSizeF area) {
    // A single sample makes no line, and a capacity under two leaves no step between samples.
    if (values.size() < 2 || capacity < 2) return {};
    const double width = area.width();
    const double height = area.height();
    const double step = width / (capacity - 1);
    const auto n = static_cast<double>(values.size());
    QList<QPointF> result;
    result.reserve(values.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        result.append({width - step * (n - 1) + step * static_cast<double>(i), height * (1 - values[i])});
    return result;
}

void Sparkline::setValues(const QList<double>& values) {
    if (values == m_values) return;
    m_values = values;
    invalidate();
}

void Sparkline::setColor(const QColor& color) {
    if (color == m_color) return;
    m_color = color;
    update();
}

void Sparkline::setCapacity(int capacity) {
    if (capacity == m_capacity) return;
    m_capacity = capacity;
    invalidate();
}

void Sparkline::invalidate() {
    m_pathsStale = true;
    update();
}

void Sparkline::paintEvent(QPaintEvent*) {
    if (m_pathsStale || m_pathsSize != size()) {
        m_line = {};
        m_area = {};
        const QList<QPointF> line = points(m_values, m_capacity, size());
        if (!line.isEmpty()) {
            m_line.moveTo(line.first());
            for (qsizetype i = 1; i < line.size(); ++i)
                m_line.lineTo(line[i]);
            m_area = m_line;
            m_area.lineTo(line.last().x(), height());
            m_area.lineTo(line.first().x(), height());
            m_area.closeSubpath();
        }
        m_pathsStale = false;
        m_pathsSize = size();
    }
    if (m_line.isEmpty()) return;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor top = m_color;
    top.setAlphaF(static_cast<float>(m_color.alphaF() * fillOpacity));
    QColor bottom = m_color;
    bottom.setAlpha(0);
    QLinearGradient fill(0, 0, 0, height());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    painter.fillPath(m_area, fill);
    painter.strokePath(m_line, QPen(m_color, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

} // namespace brisklet::ui
