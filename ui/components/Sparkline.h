#pragma once

#include <QColor>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QSizeF>
#include <QWidget>

namespace brisklet::ui {

// A small line chart of recent samples, newest at the right edge, growing leftwards as samples arrive.
class Sparkline final : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal lineWidth = 1.6;
    static constexpr double fillOpacity = 0.28;

    explicit Sparkline(QWidget* parent = nullptr);

    const QList<double>& values() const { return m_values; }
    // Fractions of the height, oldest first.
    void setValues(const QList<double>& values);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    int capacity() const { return m_capacity; }
    // How many samples the full width stands for.
    void setCapacity(int capacity);

    // Where the line passes through for an area of the given size; empty when there is no line to draw.
    static QList<QPointF> points(const QList<double>& values, int capacity, QSizeF area);

    QSize sizeHint() const override { return {160, 40}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void invalidate();

    QList<double> m_values;
    QColor m_color = Qt::blue;
    int m_capacity = 60;
    // The line and the area under it, kept until the values, the capacity or the size change.
    QPainterPath m_line;
    QPainterPath m_area;
    bool m_pathsStale = true;
    QSize m_pathsSize;
};

} // namespace brisklet::ui
