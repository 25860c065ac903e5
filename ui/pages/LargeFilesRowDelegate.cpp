#include "ui/pages/LargeFilesRowDelegate.h"

#include "ui/components/CheckBox.h"
#include "ui/components/IconCache.h"
#include "ui/pages/LargeFilesListModel.h"
#include "ui/pages/RowBackground.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/TextStyles.h"

#include <QListView>
#include <QPainter>

#include <algorithm>

namespace brisklet::ui {

LargeFilesRowDelegate::LargeFilesRowDelegate(const LargeFilesListModel& model, const QListView& view,
                                             QObject* parent)
    : QStyledItemDelegate(parent), m_model(model), m_view(view) {}

QRect LargeFilesRowDelegate::checkBoxRect(const QRect& row) {
    return {row.left() + leftInset, row.top() + (row.height() - checkSize) / 2, checkSize, checkSize};
}

QSize LargeFilesRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    // One height for every row, so the view never measures the whole list to place its scroll bar.
    return {200, rowHeight};
}

void LargeFilesRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    const LargeFilesListModel::Row row = m_model.row(index);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const Palette colors(option.palette);
    const QRect rect = option.rect.adjusted(4, 1, -4, -1);

    paintRowBackground(*painter, option, rect, m_view.currentIndex() == index && m_view.hasFocus());

    const CheckState check = row.selected ? CheckState::on : CheckState::off;
    const QRect box = checkBoxRect(rect);
    Symbols::paint(*painter, QRectF(box), CheckBox::symbolName(check),
                   row.selected ? Palette::brand() : colors.tertiaryText());

    const QRect iconRect(box.right() + 1 + gap, rect.top() + (rect.height() - iconSize) / 2, iconSize, iconSize);
    const QIcon icon = IconCache::icon(row.path);
    if (!icon.isNull()) {
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        const QPixmap pixmap = icon.pixmap(iconRect.size(), painter->device()->devicePixelRatioF());
        painter->drawPixmap(QRectF(iconRect), pixmap, QRectF(QPointF(0, 0), QSizeF(pixmap.size())));
    }

    // From the right: the size in its column, then the date, then whatever is left for the texts.
    QFont sizeFont = ui::font(TextStyle::body);
    sizeFont.setWeight(QFont::DemiBold);
    const int right = rect.right() - trailingInset;
    const int sizeWidth = std::max(sizeColumnWidth, QFontMetrics(sizeFont).horizontalAdvance(row.size));
    painter->setFont(sizeFont);
    painter->setPen(colors.primary());
    painter->drawText(QRect(right - sizeWidth, rect.top(), sizeWidth, rect.height()),
                      Qt::AlignRight | Qt::AlignVCenter, row.size);
    int textRight = right - sizeWidth - gap;

    if (!row.date.isEmpty()) {
        const QFont dateFont = ui::font(TextStyle::callout);
        const int width = QFontMetrics(dateFont).horizontalAdvance(row.date);
        painter->setFont(dateFont);
        painter->setPen(colors.secondaryText());
        painter->drawText(QRect(textRight - width, rect.top(), width, rect.height()),
                          Qt::AlignRight | Qt::AlignVCenter, row.date);
        textRight -= width + 2 * gap;
    }

    const int textLeft = iconRect.right() + 1 + gap;
    const QRect texts(textLeft, rect.top(), std::max(0, textRight - textLeft), rect.height());
    const QFont nameFont = ui::font(TextStyle::body);
    const QFont folderFont = ui::font(TextStyle::caption);
    const QFontMetrics top(nameFont);
    const QFontMetrics bottom(folderFont);
    const int lineGap = 2;
    const int y = texts.top() + (texts.height() - (top.height() + lineGap + bottom.height())) / 2;
    painter->setFont(nameFont);
    painter->setPen(colors.primary());
    painter->drawText(QRect(texts.left(), y, texts.width(), top.height()), Qt::AlignLeft | Qt::AlignVCenter,
                      top.elidedText(row.name, Qt::ElideMiddle, texts.width()));
    painter->setFont(folderFont);
    painter->setPen(colors.secondaryText());
    painter->drawText(QRect(texts.left(), y + top.height() + lineGap, texts.width(), bottom.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, bottom.elidedText(row.folder, Qt::ElideMiddle, texts.width()));
    painter->restore();
}

} // namespace brisklet::ui
