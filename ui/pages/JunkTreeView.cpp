#include "ui/pages/JunkTreeView.h"

#include "ui/pages/CheckListView.h"
#include "ui/pages/JunkRowDelegate.h"
#include "ui/pages/JunkTreeModel.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace brisklet::ui {

JunkTreeView::JunkTreeView(QWidget* parent) : QTreeView(parent) {
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setRootIsDecorated(false);
    setIndentation(0);
    setItemsExpandable(true);
    setExpandsOnDoubleClick(false);
    setAnimated(false);
    setUpRowList(*this);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAccessibleName(QStringLiteral("Junk categories"));
}

void JunkTreeView::setModel(QAbstractItemModel* model) {
    Q_ASSERT(qobject_cast<JunkTreeModel*>(model));
    QTreeView::setModel(model);
}

JunkTreeModel* JunkTreeView::junkModel() const {
    return static_cast<JunkTreeModel*>(model());
}

bool JunkTreeView::onCheckBox(const QModelIndex& index, const QPoint& pos) const {
    if (!index.isValid()) return false;
    const auto type = junkModel()->row(index).type;
    // A little slack around the symbol, as it is small to aim at.
    return JunkRowDelegate::checkBoxRect(visualRect(index), type).adjusted(-4, -6, 4, 6).contains(pos);
}

void JunkTreeView::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    if (answerRowKey(*event, current, [&] { requestMenu(current); }, [&] { emit toggleRequested(current); })) return;
    // Return opens and closes a group, as a click on its label does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && current.isValid() &&
        !current.parent().isValid() && model()->rowCount(current) > 0) {
        setExpanded(current, !isExpanded(current));
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void JunkTreeView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid()) {
        if (onCheckBox(index, event->position().toPoint())) {
            setCurrentIndex(index);
            emit toggleRequested(index);
            event->accept();
            return;
        }
        if (!index.parent().isValid() && model()->rowCount(index) > 0) {
            setCurrentIndex(index);
            setExpanded(index, !isExpanded(index));
            event->accept();
            return;
        }
    }
    QTreeView::mousePressEvent(event);
}

void JunkTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    // A second click on a check box or a label is a second toggle, not a different gesture.
    mousePressEvent(event);
}

void JunkTreeView::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex index =
        event->reason() == QContextMenuEvent::Mouse ? indexAt(event->pos()) : currentIndex();
    if (event->reason() == QContextMenuEvent::Mouse && index.isValid()) {
        setCurrentIndex(index);
        emit menuRequested(index, event->globalPos());
    } else {
        requestMenu(index);
    }
    event->accept();
}

void JunkTreeView::requestMenu(const QModelIndex& index) {
    if (!index.isValid()) return;
    const QRect row = visualRect(index);
    emit menuRequested(index, viewport()->mapToGlobal(QPoint(row.left() + JunkRowDelegate::contentIndent, row.bottom())));
}

} // namespace brisklet::ui
