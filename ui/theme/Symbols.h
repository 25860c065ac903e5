#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QRectF>
#include <QString>

#include <span>
#include <string_view>

class QPainter;

namespace brisklet::ui::Symbols {

// The interface names its pictures by symbol name ("trash.fill"); each name maps to one bundled
// single-colour SVG, tinted when it is drawn. A name missing from the table draws nothing and logs
// a warning: the tests check every name the interface uses, so a missing one fails there and not
// as a blank in front of the user. Main thread only, like all painting here: the cache is not locked.

std::span<const std::string_view> names();
bool has(std::string_view name);
// The resource path of the name's SVG (":/icons/…"), empty for an unknown name.
QString resourcePath(std::string_view name);

// The symbol filling `logicalSize` at `devicePixelRatio`, in `tint` where the SVG is opaque.
// Cached by name, size, ratio and colour; a null image for an unknown name.
QImage image(std::string_view name, QSize logicalSize, qreal devicePixelRatio, const QColor& tint);

// Draws the symbol into `rect`, rendered for the painter's device pixel ratio so it stays sharp
// on high-density screens.
void paint(QPainter& painter, const QRectF& rect, std::string_view name, const QColor& tint);

// An icon for buttons and views that take a QIcon; it renders at whatever size and ratio it is
// asked for. A null icon for an unknown name.
QIcon icon(std::string_view name, const QColor& tint);

} // namespace brisklet::ui::Symbols
