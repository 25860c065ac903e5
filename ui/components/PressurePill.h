#pragma once

#include "core/proc/MemorySnapshot.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QWidget>

namespace brisklet::ui {

class Palette;

// The memory-pressure level at a glance: a coloured dot and its label on a capsule of the same colour.
class PressurePill final : public QWidget {
    Q_OBJECT

public:
    static constexpr int dotSize = 7;
    static constexpr int dotSpacing = 6;
    static constexpr int horizontalInset = 10;
    static constexpr int verticalInset = 4;
    static constexpr double fillOpacity = 0.14;

    explicit PressurePill(MemoryPressure pressure = MemoryPressure::normal, QWidget* parent = nullptr);

    MemoryPressure pressure() const { return m_pressure; }
    void setPressure(MemoryPressure pressure);

    QString label() const { return m_label; }
    QColor color() const { return m_color; }
    // Where the dot sits, in the pill's coordinates.
    QRectF dotRect() const;

    QSize sizeHint() const override { return m_sizeHint; }
    QSize minimumSizeHint() const override { return m_sizeHint; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuildColors(const Palette& colors);
    void relayout();

    MemoryPressure m_pressure;
    QString m_label;
    QColor m_color;
    QColor m_textColor;
    QFont m_textFont;
    QSize m_sizeHint;
};

} // namespace brisklet::ui
