#pragma once

#include "ui/pages/CheckListView.h"

namespace brisklet::ui {

class AppListModel;

// The running apps, painted as app rows one under another at their full height: the page scrolls,
// not the list. On top of the check list's gestures, each row has its "Quit" button; Delete asks the
// focused app to quit and Shift+Delete asks for a force quit.
class AppListView final : public CheckListView {
    Q_OBJECT

public:
    explicit AppListView(AppListModel& model, QWidget* parent = nullptr);

    // The row whose "Quit" button the pointer is over or presses; -1 for none.
    int quitHoveredRow() const { return m_quitHovered; }
    int quitPressedRow() const { return m_quitPressed; }
    // Where a row's "Quit" button is, in the viewport's coordinates.
    QRect quitButtonRect(const QModelIndex& index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void quitRequested(const QModelIndex& index);
    void forceQuitRequested(const QModelIndex& index);

protected:
    QRect checkBoxRect(const QRect& row) const override;
    QPoint menuAnchor(const QRect& row) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // The page scrolls: the wheel goes on to it.
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int quitRowAt(const QPoint& pos) const;
    void setQuitHovered(int row);
    void fitRows();

    AppListModel& m_model;
    int m_rowHeight;
    int m_quitHovered = -1;
    int m_quitPressed = -1;
};

} // namespace brisklet::ui
