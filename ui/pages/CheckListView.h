#pragma once

#include <QListView>
#include <QModelIndex>
#include <QPoint>
#include <QRect>

#include <functional>

class QKeyEvent;

namespace brisklet::ui {

// Answers the keys every check list shares for its focused row `current`: the menu key or
// Shift+F10 for its menu, a plain Space for its check box (only when there is such a row). False
// for any other key, which is the view's to handle.
bool answerRowKey(QKeyEvent& event, const QModelIndex& current, const std::function<void()>& menu,
                  const std::function<void()>& toggle);
// Sets a view up as a page's list of rows: no frame, one current row at a time, smooth scrolling
// and hover, no background of its own. Focus that comes to it lands on a row, so Space and the
// arrows have something to act on at once, and the rows repaint when focus comes or goes.
void setUpRowList(QAbstractItemView& view);

// A list of rows of one height, each with a check box that answers a click on it or Space on the
// focused row, and a menu for the menu key, Shift+F10 or a right click. It only reports what the
// user asked for; the page decides what that does. A page's list adds its own keys and says where
// its rows keep their check box and their menu.
class CheckListView : public QListView {
    Q_OBJECT

public:
    explicit CheckListView(QWidget* parent = nullptr);

signals:
    void toggleRequested(const QModelIndex& index);
    // `globalPos` is where the menu opens.
    void menuRequested(const QModelIndex& index, const QPoint& globalPos);

protected:
    // The check box within a row's rectangle.
    virtual QRect checkBoxRect(const QRect& row) const = 0;
    // Where, within a row's rectangle, a menu asked for from the keyboard opens.
    virtual QPoint menuAnchor(const QRect& row) const = 0;

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool onCheckBox(const QModelIndex& index, const QPoint& pos) const;
    void requestMenu(const QModelIndex& index);
};

} // namespace brisklet::ui
