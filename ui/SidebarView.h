#pragma once

#include <QListView>

namespace brisklet::ui {

// The page list: rows painted with symbol, title and badge, headings in small secondary type, and
// arrow keys that step over the headings.
class SidebarView final : public QListView {
    Q_OBJECT

public:
    explicit SidebarView(QWidget* parent = nullptr);

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
};

} // namespace brisklet::ui
