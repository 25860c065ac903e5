#pragma once

#include <QListView>
#include <QModelIndex>
#include <QPoint>

namespace brisklet::ui {

// The large files' list: rows of one height, check boxes that answer a click on them or Space on
// the focused row, Return to open the focused file, and the menu key, Shift+F10 or a right click for
// its menu. It only reports what the user asked for; the page decides what that does.
class LargeFilesListView final : public QListView {
    Q_OBJECT

public:
    explicit LargeFilesListView(QWidget* parent = nullptr);

signals:
    void toggleRequested(const QModelIndex& index);
    void openRequested(const QModelIndex& index);
    // `globalPos` is where the menu opens.
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
