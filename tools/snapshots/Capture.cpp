#include "Capture.h"

#include "SnapshotFixture.h"

#include "support/Palettes.h"

#include <QAbstractAnimation>

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace brisklet::snapshots {

QString fileSuffix(Look look, qreal devicePixelRatio) {
    QString suffix = look == Look::dark ? QStringLiteral("-dark") : QString();
    if (devicePixelRatio != 1.0) suffix += QStringLiteral("@%1x").arg(devicePixelRatio);
    return suffix;
}

void applyLook(Look look) {
    QApplication::setPalette(look == Look::dark ? test::darkPalette() : test::lightPalette());
    // The palette change is delivered at once; what the widgets schedule in reply (relayouts, posted
    // updates of their own) runs here, before anything is drawn.
    QApplication::sendPostedEvents();
    QApplication::processEvents();
}

QColor windowColor() {
    return QApplication::palette().color(QPalette::Window);
}

void settle(QWidget& widget) {
    widget.ensurePolished();
    QApplication::sendPostedEvents();
    QApplication::processEvents();
    // Rings and symbols ease into the values they were just given; the picture is of where they
    // come to rest.
    SnapshotFixture::waitUntil("the animations of " + widget.objectName().toStdString() + " (" +
                                   widget.metaObject()->className() + ")",
                               [&widget] {
                                   const auto animations = widget.findChildren<QAbstractAnimation*>();
                                   return std::none_of(animations.begin(), animations.end(), [](auto* a) {
                                       return a->state() == QAbstractAnimation::Running;
                                   });
                               });
}

QImage renderWidget(QWidget& widget, qreal devicePixelRatio) {
    QImage image(widget.size() * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    widget.render(&image, {}, {}, QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return image;
}

QImage onBackground(const QImage& image, const QColor& background) {
    QImage result(image.size(), QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(image.devicePixelRatio());
    result.fill(background);
    QPainter painter(&result);
    painter.drawImage(QPointF(0, 0), image);
    return result;
}

} // namespace brisklet::snapshots
