#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace brisklet::ui {

// The rounded pill behind tags and the pressure label: the colour itself, faint enough that text in
// that colour (or in the text colour) stays readable on it.
inline void paintCapsule(QPainter& painter, const QRectF& capsule, QColor color, double fillOpacity) {
    const qreal radius = capsule.height() / 2;
    color.setAlphaF(static_cast<float>(color.alphaF() * fillOpacity));
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRoundedRect(capsule, radius, radius);
}

} // namespace brisklet::ui
