#pragma once

#include <QListView>
#include <QModelIndex>
#include <QPoint>

namespace brisklet::ui {

// The node_modules list's view: rows of one height whose check boxes answer a click on them or
// Space on the focused row, Return for showing the folder, and the menu key or Shift+F10 for the
// row's menu. It only reports what the user asked for; the page decides what that does.
class NodeModulesListView final : public QListView {
    Q_OBJECT

public:
    explicit NodeModulesListView(QWidget* parent = nullptr);

signals:
    void toggleRequested(const QModelIndex& index);
    void revealRequested(const QModelIndex& index);
    void selectAllRequested();
    // For the menu key, Shift+F10 and a right click; `globalPos` is where the menu opens.
    void menuRequested(const QModelIndex& index, const QPoint& globalPos);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool onCheckBox(const QModelIndex& index, const QPoint& pos) const;
    void requestMenu(const QModelIndex& index);
};

} // namespace brisklet::ui
