#include "ui/tray/TrayIconPainter.h"

#include "ui/components/PercentRing.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace brisklet::ui::TrayIconPainter {

namespace {

// Share of the height the glyph takes; the digits get the rest, as they carry the information.
constexpr qreal glyphShare = 0.42;

QColor glyphColor(MemoryPressure pressure) {
    // The panel behind a tray is the desktop's, light or dark whatever the window uses; the pressure
    // colours of a light palette read on both.
    return Palette(QPalette(QColor(236, 236, 236))).pressureColor(pressure);
}

QPainterPath digitsPath(const QString& text, const QRectF& box) {
    QFont font;
    font.setBold(true);
    font.setPixelSize(100);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF bounds = path.boundingRect();
    if (bounds.isEmpty()) return path;
    // Scaled independently: narrow digits still fill the height, wide ones are condensed to fit.
    const qreal sy = box.height() / bounds.height();
    const qreal sx = std::min(sy, box.width() / bounds.width());
    QTransform transform;
    transform.translate(box.center().x() - bounds.center().x() * sx,
                        box.center().y() - bounds.center().y() * sy);
    transform.scale(sx, sy);
    return transform.map(path);
}

} // namespace

QString percentText(const MemorySnapshot& snapshot) {
    return PercentRing::percentText(snapshot.total == 0 ? 0.0 : snapshot.usedFraction());
}

QImage paint(const QString& text, MemoryPressure pressure, int size, qreal devicePixelRatio) {
    QImage image(QSize(size, size) * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const qreal glyphHeight = std::round(size * glyphShare);
    const QRectF glyphRect((size - glyphHeight) / 2, 0, glyphHeight, glyphHeight);
    const QColor tint = glyphColor(pressure);
    Symbols::paint(painter, glyphRect, "memorychip", tint);
    // The outline's strokes shrink with the glyph to under a pixel in small trays; drawing it again
    // half a pixel over thickens them into a chip that still reads as one.
    if (size < 24) Symbols::paint(painter, glyphRect.translated(0.5, 0.5), "memorychip", tint);

    const qreal gap = size >= 24 ? 1.5 : 1.0;
    const QRectF digitsBox(0.5, glyphHeight + gap, size - 1.0, size - glyphHeight - gap - 0.5);
    const QPainterPath digits = digitsPath(text, digitsBox);
    // A dark rim keeps white digits legible on light panels as well as dark ones.
    painter.setPen(
        QPen(QColor(0, 0, 0, 150), std::max(1.0, size / 16.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(digits);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(digits);
    return image;
}

QIcon icon(const QString& text, MemoryPressure pressure) {
    QIcon result;
    for (const int size : sizes) {
        for (const qreal ratio : {1.0, 2.0})
            result.addPixmap(QPixmap::fromImage(paint(text, pressure, size, ratio)));
    }
    return result;
}

} // namespace brisklet::ui::TrayIconPainter
