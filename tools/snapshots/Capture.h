#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <array>

class QWidget;

namespace brisklet::snapshots {

enum class Look { light, dark };
inline constexpr std::array<Look, 2> looks{Look::light, Look::dark};
inline constexpr std::array<qreal, 2> densities{1.0, 2.0};

// "", "-dark", "@2x" or "-dark@2x": what a look and a density add to a scene's name.
QString fileSuffix(Look look, qreal devicePixelRatio);

// Makes `look` the application's palette and lets every widget hear of it, so the ones that derive
// their colours from the palette rebuild them before the next picture.
void applyLook(Look look);

// The colour a window of the current look is filled with; what tray icons are shown against.
QColor windowColor();

// Lets a widget that was just built or shown run what it deferred (item layouts, posted updates)
// and finish its animations.
void settle(QWidget& widget);

// The widget at its current size, its own background included, painted into an image of `ratio`
// device pixels per logical one, so text and strokes are drawn at that density, not scaled up.
QImage renderWidget(QWidget& widget, qreal devicePixelRatio);

// `image` over a plain background of its own size, as a tray shows an icon on its panel.
QImage onBackground(const QImage& image, const QColor& background);

} // namespace brisklet::snapshots
