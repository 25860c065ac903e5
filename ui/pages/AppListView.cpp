#include "ui/pages/AppListView.h"

#include "ui/pages/AppListModel.h"
#include "ui/pages/AppRow.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace brisklet::ui {

namespace {

class AppRowDelegate final : public QStyledItemDelegate {
public:
    AppRowDelegate(const AppListModel& model, const AppListView& view)
        : QStyledItemDelegate(const_cast<AppListView*>(&view)), m_model(model), m_view(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (!m_model.app(index)) return;
        const AppRow::Look look{.icon = m_model.icon(index),
                                .figure = m_model.figure(index),
                                .current = m_view.currentIndex() == index && m_view.hasFocus(),
                                .quitHovered = m_view.quitHoveredRow() == index.row(),
                                .quitPressed = m_view.quitPressedRow() == index.row(),
                                .divider = index.row() + 1 < m_model.rowCount()};
        m_model.row(index).paint(*painter, option, look, m_view);
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {400, AppRow::height(m_view.font())};
    }

private:
    const AppListModel& m_model;
    const AppListView& m_view;
};

} // namespace

AppListView::AppListView(AppListModel& model, QWidget* parent)
    : CheckListView(parent), m_model(model), m_rowHeight(AppRow::height(font())) {
    setModel(&model);
    setItemDelegate(new AppRowDelegate(model, *this));
    setAccessibleName(QStringLiteral("Running apps"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(&model, &QAbstractItemModel::rowsInserted, this, &AppListView::fitRows);
    connect(&model, &QAbstractItemModel::rowsRemoved, this, &AppListView::fitRows);
    connect(&model, &QAbstractItemModel::modelReset, this, &AppListView::fitRows);
    // The last row loses or gains its divider when rows come or go after it.
    connect(&model, &QAbstractItemModel::rowsInserted, viewport(), qOverload<>(&QWidget::update));
    connect(&model, &QAbstractItemModel::rowsRemoved, viewport(), qOverload<>(&QWidget::update));
    fitRows();
}

QSize AppListView::sizeHint() const {
    return {400, m_rowHeight * m_model.rowCount()};
}

void AppListView::fitRows() {
    setFixedHeight(m_rowHeight * m_model.rowCount());
    setQuitHovered(-1);
    m_quitPressed = -1;
}

QRect AppListView::quitButtonRect(const QModelIndex& index) const {
    return AppRow::quitButtonRect(visualRect(index), *this);
}

QRect AppListView::checkBoxRect(const QRect& row) const {
    return AppRow::checkBoxRect(row);
}

QPoint AppListView::menuAnchor(const QRect& row) const {
    return {row.left() + AppRow::dividerIndent, row.bottom()};
}

int AppListView::quitRowAt(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    return index.isValid() && quitButtonRect(index).contains(pos) ? index.row() : -1;
}

void AppListView::setQuitHovered(int row) {
    if (row == m_quitHovered) return;
    m_quitHovered = row;
    viewport()->update();
}

void AppListView::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    if (event->key() == Qt::Key_Delete && current.isValid()) {
        if (event->modifiers() == Qt::NoModifier) {
            emit quitRequested(current);
            event->accept();
            return;
        }
        if (event->modifiers() == Qt::ShiftModifier) {
            emit forceQuitRequested(current);
            event->accept();
            return;
        }
    }
    CheckListView::keyPressEvent(event);
}

void AppListView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const int row = event->button() == Qt::LeftButton ? quitRowAt(pos) : -1;
    if (row >= 0) {
        setCurrentIndex(m_model.index(row));
        m_quitPressed = row;
        viewport()->update();
        event->accept();
        return;
    }
    CheckListView::mousePressEvent(event);
}

void AppListView::mouseMoveEvent(QMouseEvent* event) {
    setQuitHovered(quitRowAt(event->position().toPoint()));
    if (m_quitPressed >= 0) {
        event->accept();
        return;
    }
    CheckListView::mouseMoveEvent(event);
}

void AppListView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_quitPressed >= 0 && event->button() == Qt::LeftButton) {
        const int pressed = m_quitPressed;
        m_quitPressed = -1;
        viewport()->update();
        // Like any button: it acts only when released over itself.
        if (quitRowAt(event->position().toPoint()) == pressed) emit quitRequested(m_model.index(pressed));
        event->accept();
        return;
    }
    CheckListView::mouseReleaseEvent(event);
}

void AppListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // A quick second click on "Quit" is a second press of it, not a double click on the row.
    if (event->button() == Qt::LeftButton && quitRowAt(event->position().toPoint()) >= 0) {
        mousePressEvent(event);
        return;
    }
    CheckListView::mouseDoubleClickEvent(event);
}

void AppListView::leaveEvent(QEvent* event) {
    setQuitHovered(-1);
    CheckListView::leaveEvent(event);
}

void AppListView::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

void AppListView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        m_rowHeight = AppRow::height(font());
        fitRows();
    }
    CheckListView::changeEvent(event);
}

} // namespace brisklet::ui
