#include "ui/pages/CheckListView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace brisklet::ui {

bool answerRowKey(QKeyEvent& event, const QModelIndex& current, const std::function<void()>& menu,
                  const std::function<void()>& toggle) {
    if (event.key() == Qt::Key_Menu || (event.key() == Qt::Key_F10 && event.modifiers() == Qt::ShiftModifier)) {
        menu();
    } else if (event.key() == Qt::Key_Space && event.modifiers() == Qt::NoModifier) {
        if (current.isValid()) toggle();
    } else {
        return false;
    }
    event.accept();
    return true;
}

namespace {

// Sees the focus events before the view does, so the row is current by the time the view shows
// its focus; the repaint it asks for happens after the view has handled them.
class FocusFollower final : public QObject {
public:
    explicit FocusFollower(QAbstractItemView& view) : QObject(&view), m_view(view) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_view && event->type() == QEvent::FocusIn) {
            const QAbstractItemModel* model = m_view.model();
            if (!m_view.currentIndex().isValid() && model && model->rowCount() > 0)
                m_view.setCurrentIndex(model->index(0, 0));
        }
        if (watched == &m_view && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
            m_view.viewport()->update();
        return false;
    }

private:
    QAbstractItemView& m_view;
};

} // namespace

void setUpRowList(QAbstractItemView& view) {
    view.setFrameShape(QFrame::NoFrame);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setMouseTracking(true);
    view.viewport()->setAttribute(Qt::WA_Hover);
    // The rows lie on whatever the page draws behind the list.
    view.viewport()->setAutoFillBackground(false);
    view.setAutoFillBackground(false);
    view.installEventFilter(new FocusFollower(view));
}

CheckListView::CheckListView(QWidget* parent) : QListView(parent) {
    setUniformItemSizes(true);
    setUpRowList(*this);
}

bool CheckListView::onCheckBox(const QModelIndex& index, const QPoint& pos) const {
    if (!index.isValid()) return false;
    // A little slack around the symbol, as it is small to aim at.
    return checkBoxRect(visualRect(index)).adjusted(-6, -8, 6, 8).contains(pos);
}

void CheckListView::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    if (answerRowKey(*event, current, [&] { requestMenu(current); }, [&] { emit toggleRequested(current); })) return;
    QListView::keyPressEvent(event);
}

void CheckListView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && onCheckBox(index, event->position().toPoint())) {
        setCurrentIndex(index);
        emit toggleRequested(index);
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

void CheckListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // A second click on a check box is a second toggle, not a different gesture.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && onCheckBox(index, event->position().toPoint())) {
        mousePressEvent(event);
        return;
    }
    QListView::mouseDoubleClickEvent(event);
}

void CheckListView::contextMenuEvent(QContextMenuEvent* event) {
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

void CheckListView::requestMenu(const QModelIndex& index) {
    if (!index.isValid()) return;
    emit menuRequested(index, viewport()->mapToGlobal(menuAnchor(visualRect(index))));
}

} // namespace brisklet::ui
