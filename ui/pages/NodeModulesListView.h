#pragma once

#include "ui/pages/CheckListView.h"

namespace brisklet::ui {

// The node_modules list's view: the check list's gestures, Return for showing the folder, and
// select-all for every folder.
class NodeModulesListView final : public CheckListView {
    Q_OBJECT

public:
    explicit NodeModulesListView(QWidget* parent = nullptr);

signals:
    void revealRequested(const QModelIndex& index);
    void selectAllRequested();

protected:
    QRect checkBoxRect(const QRect& row) const override;
    QPoint menuAnchor(const QRect& row) const override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace brisklet::ui
