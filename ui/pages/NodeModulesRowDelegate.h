#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

namespace brisklet::ui {

class NodeModulesListModel;

// Paints one node_modules folder per row: its check box, the project folder's icon, the project's
// name over its home-relative location (shortened in the middle, where paths differ least), when
// known how long ago the project was edited, and the size at the right edge.
class NodeModulesRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int verticalPadding = 3;
    static constexpr int leftInset = 10;
    static constexpr int checkSize = 17;
    static constexpr int iconSize = 26;
    static constexpr int gap = 10;
    static constexpr int trailingInset = 14;
    static constexpr int sizeMinimumWidth = 84;

    NodeModulesRowDelegate(const NodeModulesListModel& model, const QAbstractItemView& view,
                           QObject* parent = nullptr);

    // The check box of the row whose rectangle is `row`.
    static QRect checkBoxRect(const QRect& row);
    // One height for every row, from the two lines of text it holds.
    static int rowHeight();

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const NodeModulesListModel& m_model;
    const QAbstractItemView& m_view;
};

} // namespace brisklet::ui
