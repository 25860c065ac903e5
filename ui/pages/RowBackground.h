#pragma once

#include <QRect>

class QModelIndex;
class QPainter;
class QStyleOptionViewItem;

namespace brisklet::ui {

// The backdrop of a list row: the keyboard's row (`current`) in a wash of the brand colour, the
// pointer's in a faint shade of the text colour, any other row nothing. Shared by every list page so
// that moving through lists looks the same everywhere.
void paintRowBackground(QPainter& painter, const QStyleOptionViewItem& option, const QRect& rect, bool current);

} // namespace brisklet::ui
