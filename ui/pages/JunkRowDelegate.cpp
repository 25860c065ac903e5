#include "ui/pages/JunkRowDelegate.h"

#include "ui/components/CheckBox.h"
#include "ui/components/IconCache.h"
#include "ui/components/Spinner.h"
#include "ui/pages/JunkKindStyle.h"
#include "ui/pages/RowBackground.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/TextStyles.h"

#include <QPainter>
#include <QPainterPath>
#include <QTreeView>

namespace brisklet::ui {

namespace {

using RowType = JunkTreeModel::RowType;

constexpr int kLeftInset = 8;
constexpr int kCategoryCheckX = 26;
constexpr int kTextGap = 12;

// Two lines centred on the row: the first in `top`, the second in `bottom`.
void paintTwoLines(QPainter& painter, const QRect& area, const QString& first, const QFont& firstFont,
                   const QColor& firstColor, const QString& second, const QFont& secondFont,
                   const QColor& secondColor, Qt::TextElideMode secondElide) {
    const QFontMetrics top(firstFont);
    const QFontMetrics bottom(secondFont);
    const int gap = 2;
    const int height = top.height() + gap + bottom.height();
    const int y = area.top() + (area.height() - height) / 2;
    painter.setFont(firstFont);
    painter.setPen(firstColor);
    painter.drawText(QRect(area.left(), y, area.width(), top.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     top.elidedText(first, Qt::ElideRight, area.width()));
    painter.setFont(secondFont);
    painter.setPen(secondColor);
    painter.drawText(QRect(area.left(), y + top.height() + gap, area.width(), bottom.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, bottom.elidedText(second, secondElide, area.width()));
}

} // namespace

JunkRowDelegate::JunkRowDelegate(const JunkTreeModel& model, const QTreeView& view,
                                 std::function<int()> spinnerStep, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model), m_view(view), m_spinnerStep(std::move(spinnerStep)) {}

QRect JunkRowDelegate::checkBoxRect(const QRect& row, RowType type) {
    const int top = row.top() + (row.height() - checkSize) / 2;
    switch (type) {
    case RowType::category:
        return {row.left() + kCategoryCheckX, top, checkSize, checkSize};
    case RowType::item:
        return {row.left() + contentIndent, top, checkSize, checkSize};
    case RowType::trashActions:
    case RowType::empty:
        break;
    }
    return {};
}

QSize JunkRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    // One height for every row, so the view never measures thousands of rows to place its scroll bar.
    return {200, rowHeight};
}

void JunkRowDelegate::paintCheck(QPainter& painter, const QRect& box, CheckState state, bool enabled,
                                 const QPalette& palette) {
    QColor tint = state == CheckState::off ? Palette(palette).tertiaryText() : Palette::brand();
    if (!enabled) tint.setAlphaF(tint.alphaF() * 0.45f);
    Symbols::paint(painter, QRectF(box), CheckBox::symbolName(state), tint);
}

void JunkRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const JunkTreeModel::Row row = m_model.row(index);
    if (row.type == RowType::trashActions) return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const Palette colors(option.palette);
    const QRect rect = option.rect.adjusted(2, 1, -2, -1);
    paintRowBackground(*painter, option, rect, m_view.currentIndex() == index && m_view.hasFocus());
    switch (row.type) {
    case RowType::category:
        paintCategory(*painter, rect, row, index, option.palette);
        break;
    case RowType::item:
        paintItem(*painter, rect, row, option.palette);
        break;
    case RowType::empty:
        painter->setFont(font(TextStyle::body));
        painter->setPen(colors.secondaryText());
        painter->drawText(rect.adjusted(contentIndent, 0, -trailingInset, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          row.title);
        break;
    case RowType::trashActions:
        break;
    }
    painter->restore();
}

void JunkRowDelegate::paintCategory(QPainter& painter, const QRect& rect, const JunkTreeModel::Row& row,
                                    const QModelIndex& index, const QPalette& palette) const {
    const Palette colors(palette);
    // Disclosure chevron: pointing right when closed, down when open; none when there is nothing to open.
    if (m_model.rowCount(index) > 0) {
        const QPointF centre(rect.left() + kLeftInset + chevronSize / 2.0, rect.center().y() + 0.5);
        QPainterPath chevron;
        const qreal arm = 3.5;
        if (m_view.isExpanded(index)) {
            chevron.moveTo(centre + QPointF(-arm, -arm / 2));
            chevron.lineTo(centre + QPointF(0, arm / 2));
            chevron.lineTo(centre + QPointF(arm, -arm / 2));
        } else {
            chevron.moveTo(centre + QPointF(-arm / 2, -arm));
            chevron.lineTo(centre + QPointF(arm / 2, 0));
            chevron.lineTo(centre + QPointF(-arm / 2, arm));
        }
        painter.setPen(QPen(colors.secondaryText(), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(chevron);
    }

    paintCheck(painter, checkBoxRect(rect, RowType::category), row.check, row.checkEnabled, palette);

    const QRectF square(rect.left() + contentIndent, rect.top() + (rect.height() - iconSquare) / 2.0, iconSquare,
                        iconSquare);
    const QColor tint = kindColor(row.kind, colors);
    QLinearGradient gradient(square.topLeft(), square.bottomLeft());
    gradient.setColorAt(0, tint.lighter(125));
    gradient.setColorAt(1, tint);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(square, iconRadius, iconRadius);
    const qreal inset = (iconSquare - kindSymbolSize) / 2.0;
    Symbols::paint(painter, square.adjusted(inset, inset, -inset, -inset), symbol(row.kind), Qt::white);

    // The right side first, so the texts know how much room is left.
    const int right = rect.right() - trailingInset;
    int trailingLeft = right;
    switch (row.trailing) {
    case JunkTreeModel::Trailing::scanning: {
        const QRectF spinner(right - Spinner::side, rect.top() + (rect.height() - Spinner::side) / 2.0,
                             Spinner::side, Spinner::side);
        Spinner::paint(painter, spinner, m_spinnerStep ? m_spinnerStep() : 0, colors.secondaryText());
        trailingLeft = right - Spinner::side;
        break;
    }
    case JunkTreeModel::Trailing::needsAccess: {
        const QFont callout = font(TextStyle::callout);
        const QString words = QStringLiteral("Needs access");
        const int width = QFontMetrics(callout).horizontalAdvance(words);
        painter.setFont(callout);
        painter.setPen(colors.orange());
        painter.drawText(QRect(right - width, rect.top(), width, rect.height()), Qt::AlignRight | Qt::AlignVCenter,
                         words);
        trailingLeft = right - width;
        break;
    }
    case JunkTreeModel::Trailing::size: {
        QFont figure = font(TextStyle::body);
        figure.setWeight(QFont::DemiBold);
        const int width = QFontMetrics(figure).horizontalAdvance(row.size);
        painter.setFont(figure);
        painter.setPen(colors.primary());
        painter.drawText(QRect(right - width, rect.top(), width, rect.height()), Qt::AlignRight | Qt::AlignVCenter,
                         row.size);
        trailingLeft = right - width;
        break;
    }
    }

    const int textLeft = static_cast<int>(square.right()) + kTextGap;
    const QRect texts(textLeft, rect.top(), std::max(0, trailingLeft - kTextGap - textLeft), rect.height());
    paintTwoLines(painter, texts, row.title, font(TextStyle::headline), colors.primary(), row.detail,
                  font(TextStyle::caption), colors.secondaryText(), Qt::ElideRight);
}

void JunkRowDelegate::paintItem(QPainter& painter, const QRect& rect, const JunkTreeModel::Row& row,
                                const QPalette& palette) const {
    const Palette colors(palette);
    const QRect box = checkBoxRect(rect, RowType::item);
    paintCheck(painter, box, row.check, true, palette);

    const QRect iconRect(box.right() + 1 + 9, rect.top() + (rect.height() - fileIconSize) / 2, fileIconSize,
                         fileIconSize);
    const QIcon icon = IconCache::icon(row.iconPath);
    if (!icon.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QPixmap pixmap = icon.pixmap(iconRect.size(), painter.device()->devicePixelRatioF());
        painter.drawPixmap(QRectF(iconRect), pixmap, QRectF(QPointF(0, 0), QSizeF(pixmap.size())));
    }

    const QFont sizeFont = font(TextStyle::body);
    const int right = rect.right() - trailingInset;
    const int width = QFontMetrics(sizeFont).horizontalAdvance(row.size);
    painter.setFont(sizeFont);
    painter.setPen(colors.secondaryText());
    painter.drawText(QRect(right - width, rect.top(), width, rect.height()), Qt::AlignRight | Qt::AlignVCenter,
                     row.size);

    const int textLeft = iconRect.right() + 1 + 9;
    const QRect texts(textLeft, rect.top(), std::max(0, right - width - kTextGap - textLeft), rect.height());
    paintTwoLines(painter, texts, row.title, font(TextStyle::body), colors.primary(), row.detail,
                  font(TextStyle::caption), colors.secondaryText(), Qt::ElideMiddle);
}

} // namespace brisklet::ui
