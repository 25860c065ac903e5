#pragma once

#include "ui/pages/CheckListView.h"

namespace brisklet::ui {

// The large files' list: the check list's gestures, and Return to open the focused file.
class LargeFilesListView final : public CheckListView {
    Q_OBJECT

public:
    explicit LargeFilesListView(QWidget* parent = nullptr);

signals:
    void openRequested(const QModelIndex& index);

protected:
    QRect checkBoxRect(const QRect& row) const override;
    QPoint menuAnchor(const QRect& row) const override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace brisklet::ui
