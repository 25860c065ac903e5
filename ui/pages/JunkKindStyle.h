#pragma once

#include "core/junk/JunkKind.h"

#include <QColor>

namespace brisklet::ui {

class Palette;

// The colour a junk kind is drawn in wherever it appears (its icon square, its bar segment, its
// legend dot): the brand colour for app caches, then orange, indigo, green and gray.
QColor kindColor(JunkKind kind, const Palette& colors);

} // namespace brisklet::ui
