#include "ui/pages/RowBackground.h"

#include "ui/theme/Palette.h"

#include <QPainter>
#include <QStyleOptionViewItem>

namespace brisklet::ui {

void paintRowBackground(QPainter& painter, const QStyleOptionViewItem& option, const QRect& rect, bool current) {
    if (!current && !(option.state & QStyle::State_MouseOver)) return;
    QColor fill = current ? Palette::brand() : Palette(option.palette).primary(0.05);
    if (current) fill.setAlphaF(0.14f);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect), 7, 7);
    painter.restore();
}

} // namespace brisklet::ui
