#pragma once

#include <QModelIndex>
#include <QPoint>
#include <QTreeView>

namespace brisklet::ui {

class JunkTreeModel;

// The junk list's view: rows of one height, groups that open with a click on their label or with
// Left and Right, and check boxes that answer a click on them or Space on the focused row. It only
// reports what the user asked for; the page decides what that does to the selection.
class JunkTreeView final : public QTreeView {
    Q_OBJECT

public:
    explicit JunkTreeView(QWidget* parent = nullptr);

    // The model must be a JunkTreeModel.
    void setModel(QAbstractItemModel* model) override;

signals:
    void toggleRequested(const QModelIndex& index);
    // For the menu key, Shift+F10 and a right click; `globalPos` is where the menu opens.
    void menuRequested(const QModelIndex& index, const QPoint& globalPos);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    JunkTreeModel* junkModel() const;
    bool onCheckBox(const QModelIndex& index, const QPoint& pos) const;

    void requestMenu(const QModelIndex& index);
};

} // namespace brisklet::ui
