#include "ui/pages/NodeModulesRowDelegate.h"

#include "app/CheckState.h"
#include "ui/components/CheckBox.h"
#include "ui/components/IconCache.h"
#include "ui/pages/NodeModulesListModel.h"
#include "ui/pages/RowBackground.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/TextStyles.h"

#include <QAbstractItemView>
#include <QPainter>

#include <algorithm>

namespace brisklet::ui {

namespace {

QFont sizeFont() {
    QFont figure = font(TextStyle::body);
    figure.setWeight(QFont::DemiBold);
    return figure;
}

} // namespace

NodeModulesRowDelegate::NodeModulesRowDelegate(const NodeModulesListModel& model, const QAbstractItemView& view,
                                               QObject* parent)
    : QStyledItemDelegate(parent), m_model(model), m_view(view) {}

QRect NodeModulesRowDelegate::checkBoxRect(const QRect& row) {
    return {row.left() + leftInset, row.top() + (row.height() - checkSize) / 2, checkSize, checkSize};
}

int NodeModulesRowDelegate::rowHeight() {
    const int lines = QFontMetrics(font(TextStyle::headline)).height() + 2 +
                      QFontMetrics(font(TextStyle::caption)).height();
    return std::max(iconSize, lines) + 2 * verticalPadding + 8;
}

QSize NodeModulesRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    // The same for every row, so the view never measures thousands of rows to place its scroll bar.
    return {300, rowHeight()};
}

void NodeModulesRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    if (!m_model.folder(index)) return;
    const NodeModulesListModel::Texts& texts = m_model.texts(index);
    const Palette colors(option.palette);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect rect = option.rect.adjusted(2, 1, -2, -1);

    paintRowBackground(*painter, option, rect, m_view.currentIndex() == index && m_view.hasFocus());

    const bool selected = m_model.isSelected(index);
    const CheckState state = selected ? CheckState::on : CheckState::off;
    const QRect box = checkBoxRect(rect);
    Symbols::paint(*painter, QRectF(box), CheckBox::symbolName(state),
                   selected ? Palette::brand() : colors.tertiaryText());

    const QRect iconRect(box.right() + 1 + gap, rect.top() + (rect.height() - iconSize) / 2, iconSize, iconSize);
    const NodeModulesFolder* shown = m_model.folder(index);
    const QIcon icon = IconCache::icon(shown->project());
    if (!icon.isNull()) {
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        const QPixmap pixmap = icon.pixmap(iconRect.size(), painter->device()->devicePixelRatioF());
        painter->drawPixmap(QRectF(iconRect), pixmap, QRectF(QPointF(0, 0), QSizeF(pixmap.size())));
    }

    // From the right edge inwards, so the name and path get whatever room is left.
    const QFont figure = sizeFont();
    const int right = rect.right() - trailingInset;
    const int sizeWidth = std::max(sizeMinimumWidth, QFontMetrics(figure).horizontalAdvance(texts.size));
    painter->setFont(figure);
    painter->setPen(colors.primary());
    painter->drawText(QRect(right - sizeWidth, rect.top(), sizeWidth, rect.height()),
                      Qt::AlignRight | Qt::AlignVCenter, texts.size);
    int trailingLeft = right - sizeWidth;

    if (!texts.edited.isEmpty()) {
        const QFont callout = font(TextStyle::callout);
        const int width = QFontMetrics(callout).horizontalAdvance(texts.edited);
        const int left = trailingLeft - gap - width;
        painter->setFont(callout);
        painter->setPen(colors.secondaryText());
        painter->drawText(QRect(left, rect.top(), width, rect.height()), Qt::AlignRight | Qt::AlignVCenter,
                          texts.edited);
        trailingLeft = left;
    }

    const QFont nameFont = font(TextStyle::headline);
    const QFont pathFont = font(TextStyle::caption);
    const QFontMetrics top(nameFont);
    const QFontMetrics bottom(pathFont);
    const int textLeft = iconRect.right() + 1 + gap;
    const int width = std::max(0, trailingLeft - gap - textLeft);
    const int lineGap = 2;
    const int y = rect.top() + (rect.height() - (top.height() + lineGap + bottom.height())) / 2;
    painter->setFont(nameFont);
    painter->setPen(colors.primary());
    painter->drawText(QRect(textLeft, y, width, top.height()), Qt::AlignLeft | Qt::AlignVCenter,
                      top.elidedText(texts.name, Qt::ElideRight, width));
    painter->setFont(pathFont);
    painter->setPen(colors.secondaryText());
    painter->drawText(QRect(textLeft, y + top.height() + lineGap, width, bottom.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, bottom.elidedText(texts.path, Qt::ElideMiddle, width));
    painter->restore();
}

} // namespace brisklet::ui
