#include "ui/pages/LargeFilesListView.h"

#include "ui/pages/LargeFilesRowDelegate.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace brisklet::ui {

LargeFilesListView::LargeFilesListView(QWidget* parent) : QListView(parent) {
    setUniformItemSizes(true);
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_Hover);
    // The rows lie on the card behind the list.
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setAccessibleName(QStringLiteral("Large files"));
}

bool LargeFilesListView::onCheckBox(const QModelIndex& index, const QPoint& pos) const {
    if (!index.isValid()) return false;
    // A little slack around the symbol, as it is small to aim at.
    return LargeFilesRowDelegate::checkBoxRect(visualRect(index)).adjusted(-6, -8, 6, 8).contains(pos);
}

void LargeFilesListView::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey) {
        requestMenu(current);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        if (current.isValid()) emit toggleRequested(current);
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        if (current.isValid()) emit openRequested(current);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void LargeFilesListView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && onCheckBox(index, event->position().toPoint())) {
        setCurrentIndex(index);
        emit toggleRequested(index);
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

void LargeFilesListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // A second click on a check box is a second toggle, not a different gesture.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && onCheckBox(index, event->position().toPoint())) {
        mousePressEvent(event);
        return;
    }
    QListView::mouseDoubleClickEvent(event);
}

void LargeFilesListView::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Mouse) {
        const QModelIndex index = indexAt(event->pos());
        if (index.isValid()) {
            setCurrentIndex(index);
            emit menuRequested(index, event->globalPos());
        }
    } else {
        requestMenu(currentIndex());
    }
    event->accept();
}

void LargeFilesListView::requestMenu(const QModelIndex& index) {
    if (!index.isValid()) return;
    const QRect row = visualRect(index);
    const int iconLeft = LargeFilesRowDelegate::checkBoxRect(row).right() + 1 + LargeFilesRowDelegate::gap;
    emit menuRequested(index, viewport()->mapToGlobal(QPoint(iconLeft, row.bottom())));
}

void LargeFilesListView::focusInEvent(QFocusEvent* event) {
    // Focus lands on a row, so Space and the arrows have something to act on at once.
    if (!currentIndex().isValid() && model() && model()->rowCount() > 0) setCurrentIndex(model()->index(0, 0));
    QListView::focusInEvent(event);
    viewport()->update();
}

void LargeFilesListView::focusOutEvent(QFocusEvent* event) {
    QListView::focusOutEvent(event);
    viewport()->update();
}

} // namespace brisklet::ui
