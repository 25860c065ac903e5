#include "ui/tray/TrayIconPainter.h"

#include "ui/components/PercentRing.h"
#include "ui/theme/Palette.h"

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

// Pins stick out above and below the body; what is left in between carries the digits.
constexpr qreal pinShare = 0.14;

double luminance(const QColor& color) {
    const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) + 0.0722 * channel(color.blueF());
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

QColor chipColor(MemoryPressure pressure) {
    // The panel behind a tray is the desktop's, light or dark whatever the window uses; the light
    // palette's level colours are the more saturated ones.
    QColor color = Palette(QPalette(QColor(236, 236, 236))).pressureColor(pressure);
    // White on the fill at a contrast of at least 3.5 : 1, the least for figures this small.
    while (luminance(color) > 0.25)
        color = color.darker(108);
    return color;
}

QString percentText(const MemorySnapshot& snapshot) {
    return PercentRing::percentText(snapshot.total == 0 ? 0.0 : snapshot.usedFraction());
}

QImage paint(const QString& text, MemoryPressure pressure, int size, qreal devicePixelRatio) {
    QImage image(QSize(size, size) * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor fill = chipColor(pressure);

    // Whole device pixels for the pins and the body's edges, so the small sizes stay crisp.
    const qreal px = 1.0 / devicePixelRatio;
    const qreal pin = std::max(std::round(size * pinShare * devicePixelRatio), 2.0) * px;
    const QRectF body(0, pin, size, size - 2 * pin);
    const int pins = size >= 24 ? 4 : 3;
    const qreal pinWidth = std::max(std::round(size / 12.0 * devicePixelRatio), 1.0) * px;
    const qreal pitch = size / static_cast<qreal>(pins);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    for (int i = 0; i < pins; ++i) {
        const qreal x = std::round((pitch * (i + 0.5) - pinWidth / 2) * devicePixelRatio) * px;
        painter.drawRect(QRectF(x, 0, pinWidth, pin));
        painter.drawRect(QRectF(x, size - pin, pinWidth, pin));
    }
    const qreal radius = std::max(size / 8.0, 1.5);
    painter.drawRoundedRect(body, radius, radius);

    // The figure fills the body but for a margin that keeps its strokes off the rounded corners.
    const qreal inset = std::max(size / 16.0, px);
    const QRectF digitsBox = body.adjusted(inset, inset * 1.5, -inset, -inset * 1.5);
    painter.setBrush(Qt::white);
    painter.drawPath(digitsPath(text, digitsBox));
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
