#include "ui/pages/NodeModulesListView.h"

#include "ui/pages/NodeModulesRowDelegate.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace brisklet::ui {

NodeModulesListView::NodeModulesListView(QWidget* parent) : QListView(parent) {
    setUniformItemSizes(true);
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_Hover);
    // The rows lie on the list's rounded panel, drawn behind the view.
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setAccessibleName(QStringLiteral("node_modules folders"));
}

bool NodeModulesListView::onCheckBox(const QModelIndex& index, const QPoint& pos) const {
    if (!index.isValid()) return false;
    // A little slack around the symbol, as it is small to aim at.
    return NodeModulesRowDelegate::checkBoxRect(visualRect(index)).adjusted(-6, -8, 6, 8).contains(pos);
}

void NodeModulesListView::keyPressEvent(QKeyEvent* event) {
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
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && current.isValid()) {
        emit revealRequested(current);
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        emit selectAllRequested();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void NodeModulesListView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && onCheckBox(index, event->position().toPoint())) {
        setCurrentIndex(index);
        emit toggleRequested(index);
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

void NodeModulesListView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    // A second click on a check box is a second toggle, not a different gesture.
    if (event->button() == Qt::LeftButton && onCheckBox(index, event->position().toPoint())) {
        mousePressEvent(event);
        return;
    }
    QListView::mouseDoubleClickEvent(event);
}

void NodeModulesListView::contextMenuEvent(QContextMenuEvent* event) {
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

void NodeModulesListView::requestMenu(const QModelIndex& index) {
    if (!index.isValid()) return;
    const QRect row = visualRect(index);
    const QPoint at(row.left() + NodeModulesRowDelegate::leftInset + NodeModulesRowDelegate::checkSize +
                        NodeModulesRowDelegate::gap,
                    row.bottom());
    emit menuRequested(index, viewport()->mapToGlobal(at));
}

void NodeModulesListView::focusInEvent(QFocusEvent* event) {
    // Focus lands on a row, so Space and the arrows have something to act on at once.
    if (!currentIndex().isValid() && model() && model()->rowCount() > 0) setCurrentIndex(model()->index(0, 0));
    QListView::focusInEvent(event);
    viewport()->update();
}

void NodeModulesListView::focusOutEvent(QFocusEvent* event) {
    QListView::focusOutEvent(event);
    viewport()->update();
}

} // namespace brisklet::ui
