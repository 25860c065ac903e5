#pragma once

#include <QStyledItemDelegate>

class QListView;

namespace brisklet::ui {

class LargeFilesListModel;

// Paints one large file per row: its check box, its icon, its name (shortened in the middle) over
// its folder, its date when known, and its size in a column wide enough for any size.
class LargeFilesRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int rowHeight = 44;
    static constexpr int leftInset = 12;
    static constexpr int checkSize = 17;
    static constexpr int iconSize = 28;
    static constexpr int gap = 10;
    static constexpr int sizeColumnWidth = 84;
    static constexpr int trailingInset = 14;

    LargeFilesRowDelegate(const LargeFilesListModel& model, const QListView& view, QObject* parent = nullptr);

    // The check box of the row whose rectangle is `row`.
    static QRect checkBoxRect(const QRect& row);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const LargeFilesListModel& m_model;
    const QListView& m_view;
};

} // namespace brisklet::ui
