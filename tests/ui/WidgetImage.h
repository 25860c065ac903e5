#pragma once

#include "support/GuiApplication.h"
#include "support/Palettes.h"

#include <QColor>
#include <QImage>
#include <QMessageBox>
#include <QPalette>
#include <QPointF>
#include <QPushButton>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace brisklet::test {

// A fixture base whose application exists before the fixture's own widget members are built.
class GuiTest : public ::testing::Test {
protected:
    GuiTest() { ensureQApplication(); }
};

// Colours no component picks on its own, so that a sampled pixel tells which part painted it.
inline QPalette probePalette() {
    QPalette palette;
    palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    palette.setColor(QPalette::Base, QColor(0, 200, 0));
    return palette;
}

// The widget at the given size, painted alone onto a transparent image with the given pixel ratio.
inline QImage renderWidget(QWidget& widget, QSize size, qreal devicePixelRatio) {
    widget.resize(size);
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

// The pixel under a point given in the widget's own coordinates.
inline QColor sample(const QImage& image, QPointF point) {
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor(static_cast<int>(std::floor(point.x() * ratio)),
                            static_cast<int>(std::floor(point.y() * ratio)));
}

// Whether two colours agree in red, green and blue within `tolerance` (alpha is not compared).
inline bool near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// How many pixels inside `logical` (widget coordinates) satisfy `matches`.
inline int countPixels(const QImage& image, const QRect& logical, const auto& matches) {
    const qreal ratio = image.devicePixelRatio();
    const QRect device(logical.topLeft() * ratio, logical.size() * ratio);
    int count = 0;
    for (int y = device.top(); y <= device.bottom(); ++y)
        for (int x = device.left(); x <= device.right(); ++x)
            if (matches(image.pixelColor(x, y))) ++count;
    return count;
}

// The button of a message box that carries `text`, or none.
inline QPushButton* boxButton(QMessageBox& box, const QString& text) {
    for (QAbstractButton* b : box.buttons())
        if (b->text() == text) return qobject_cast<QPushButton*>(b);
    return nullptr;
}

} // namespace brisklet::test
