#pragma once

#include "core/MemorySnapshot.h"

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QString>

#include <array>

namespace brisklet::ui::TrayIconPainter {

// Trays ask for these sizes (panels of 16 to 32 pixels), each also at twice the density.
inline constexpr std::array<int, 4> sizes{16, 22, 24, 32};

// The used share of memory as the tray shows it: a whole percentage, halves away from zero, and
// "0%" when the machine reports no memory at all.
QString percentText(const MemorySnapshot& snapshot);

// The chip glyph in the pressure level's colour across the top, and the figure below it, squeezed
// to the full width. Trays give no room beside the icon for text, and a square icon holds three
// digits legibly only when they have the whole width; the glyph stays recognisable in the strip
// above. `size` is in logical pixels.
QImage paint(const QString& text, MemoryPressure pressure, int size, qreal devicePixelRatio);

// All tray sizes at one and two times density.
QIcon icon(const QString& text, MemoryPressure pressure);

} // namespace brisklet::ui::TrayIconPainter
