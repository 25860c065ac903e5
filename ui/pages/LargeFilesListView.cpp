#include "ui/pages/LargeFilesListView.h"

#include "ui/pages/LargeFilesRowDelegate.h"

#include <QKeyEvent>

namespace brisklet::ui {

LargeFilesListView::LargeFilesListView(QWidget* parent) : CheckListView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAccessibleName(QStringLiteral("Large files"));
}

QRect LargeFilesListView::checkBoxRect(const QRect& row) const {
    return LargeFilesRowDelegate::checkBoxRect(row);
}

QPoint LargeFilesListView::menuAnchor(const QRect& row) const {
    return {checkBoxRect(row).right() + 1 + LargeFilesRowDelegate::gap, row.bottom()};
}

void LargeFilesListView::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        if (currentIndex().isValid()) emit openRequested(currentIndex());
        event->accept();
        return;
    }
    CheckListView::keyPressEvent(event);
}

} // namespace brisklet::ui
