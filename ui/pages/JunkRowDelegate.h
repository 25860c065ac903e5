#pragma once

#include "ui/pages/JunkTreeModel.h"

#include <QStyledItemDelegate>

#include <functional>

class QTreeView;

namespace brisklet::ui {

// Paints the junk list's rows: a category as its group's label (disclosure chevron, tri-state check
// box, the kind's icon, title over subtitle, and a spinner, "Needs access" or its size), an item
// with its check box, file icon, name over note or location and size, and the empty wording. The
// Trash's actions row is a real widget laid over its row, so nothing is painted there.
class JunkRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int rowHeight = 44;
    static constexpr int chevronSize = 12;
    static constexpr int iconSquare = 30;
    static constexpr qreal iconRadius = 8;
    static constexpr int kindSymbolSize = 15;
    static constexpr int fileIconSize = 22;
    static constexpr int checkSize = 17;
    static constexpr int trailingInset = 14;
    // Where the content of an open group starts, under the kind's icon.
    static constexpr int contentIndent = 52;

    // `spinnerStep` gives the frame the category spinners are at.
    JunkRowDelegate(const JunkTreeModel& model, const QTreeView& view, std::function<int()> spinnerStep,
                    QObject* parent = nullptr);

    // The check box of a row whose rectangle is `row`; empty for rows without one.
    static QRect checkBoxRect(const QRect& row, JunkTreeModel::RowType type);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void paintCategory(QPainter& painter, const QRect& rect, const JunkTreeModel::Row& row,
                       const QModelIndex& index, const QPalette& palette) const;
    void paintItem(QPainter& painter, const QRect& rect, const JunkTreeModel::Row& row,
                   const QPalette& palette) const;
    static void paintCheck(QPainter& painter, const QRect& box, CheckState state, bool enabled,
                           const QPalette& palette);

    const JunkTreeModel& m_model;
    const QTreeView& m_view;
    std::function<int()> m_spinnerStep;
};

} // namespace brisklet::ui
