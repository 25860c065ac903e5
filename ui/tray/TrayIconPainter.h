#pragma once

#include "core/proc/MemorySnapshot.h"

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

// A memory chip filled in the pressure level's colour, with the figure in white on its body. Trays
// give no room beside the icon for text, and a chip glyph above the digits leaves each of them a
// strip too small to read at 16 or 22 pixels; as one shape, the chip's body is the digits' backdrop
// and its pins still say "memory". `size` is in logical pixels.
QImage paint(const QString& text, MemoryPressure pressure, int size, qreal devicePixelRatio);

// The chip's fill: the level's colour, deepened where needed so that white digits stay readable on
// it and the chip stands out on light panels as on dark ones.
QColor chipColor(MemoryPressure pressure);

// All tray sizes at one and two times density.
QIcon icon(const QString& text, MemoryPressure pressure);

} // namespace brisklet::ui::TrayIconPainter
