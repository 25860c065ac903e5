#include "ui/pages/NodeModulesListView.h"

#include "ui/pages/NodeModulesRowDelegate.h"

#include <QKeyEvent>

namespace brisklet::ui {

NodeModulesListView::NodeModulesListView(QWidget* parent) : CheckListView(parent) {
    setAccessibleName(QStringLiteral("node_modules folders"));
}

QRect NodeModulesListView::checkBoxRect(const QRect& row) const {
    return NodeModulesRowDelegate::checkBoxRect(row);
}

QPoint NodeModulesListView::menuAnchor(const QRect& row) const {
    return {row.left() + NodeModulesRowDelegate::leftInset + NodeModulesRowDelegate::checkSize +
                NodeModulesRowDelegate::gap,
            row.bottom()};
}

void NodeModulesListView::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
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
    CheckListView::keyPressEvent(event);
}

} // namespace brisklet::ui
