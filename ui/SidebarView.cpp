#include "ui/SidebarView.h"

#include "ui/SidebarModel.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/TextStyles.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace brisklet::ui {
namespace {

constexpr int kRowHeight = 30;
constexpr int kHeadingHeight = 28;
constexpr int kInset = 10;
constexpr int kSymbolSize = 16;
constexpr qreal kRadius = 6;

class RowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool heading = index.data(SidebarModel::IsHeadingRole).toBool();
        return {option.rect.width(), heading ? kHeadingHeight : kRowHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const Palette colors(option.palette);
        const QRectF rect = QRectF(option.rect).adjusted(6, 1, -6, -1);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (index.data(SidebarModel::IsHeadingRole).toBool()) {
            QFont font = ui::font(TextStyle::caption);
            font.setWeight(QFont::DemiBold);
            painter->setFont(font);
            painter->setPen(colors.secondaryText());
            painter->drawText(rect.adjusted(kInset, 0, -kInset, -3), Qt::AlignLeft | Qt::AlignBottom,
                              index.data(Qt::DisplayRole).toString());
            painter->restore();
            return;
        }
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        if (selected) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(colors.primary(0.1));
            painter->drawRoundedRect(rect, kRadius, kRadius);
        }
        const QRectF symbol(rect.left() + kInset, rect.center().y() - kSymbolSize / 2.0, kSymbolSize,
                            kSymbolSize);
        Symbols::paint(*painter, symbol, index.data(SidebarModel::SymbolRole).toString().toStdString(),
                       Palette::brand());

        painter->setFont(ui::font(TextStyle::body));
        const QString badge = index.data(SidebarModel::BadgeRole).toString();
        QRectF text = rect.adjusted(kInset + kSymbolSize + 8, 0, -kInset, 0);
        if (!badge.isEmpty()) {
            QFont font = ui::font(TextStyle::callout);
            painter->setFont(font);
            painter->setPen(colors.secondaryText());
            painter->drawText(text, Qt::AlignRight | Qt::AlignVCenter, badge);
            text.setRight(text.right() - QFontMetricsF(font).horizontalAdvance(badge) - 6);
            painter->setFont(ui::font(TextStyle::body));
        }
        painter->setPen(colors.primary());
        const QString title =
            QFontMetricsF(painter->font())
                .elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, text.width());
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, title);
        painter->restore();
    }
};

} // namespace

SidebarView::SidebarView(QWidget* parent) : QListView(parent) {
    setItemDelegate(new RowDelegate(this));
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(false);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
}

QModelIndex SidebarView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // QListView moves onto rows that cannot be selected; step on until one can, or stay put.
    const int step = action == MoveUp || action == MovePrevious || action == MovePageUp ? -1 : 1;
    QModelIndex next = QListView::moveCursor(action, modifiers);
    while (next.isValid() && !next.flags().testFlag(Qt::ItemIsSelectable)) {
        const QModelIndex further = next.siblingAtRow(next.row() + step);
        next = further.isValid() ? further : currentIndex();
        if (next == currentIndex()) break;
    }
    return next.isValid() && next.flags().testFlag(Qt::ItemIsSelectable) ? next : currentIndex();
}

} // namespace brisklet::ui
