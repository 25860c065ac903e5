#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>

class QLabel;

namespace brisklet::ui {

class ProminentButton;

// The large files page's bottom bar: how much is selected and how many files, and "Move to Trash".
// No spinner: the move is over before the page could show one.
class LargeFilesActionBar final : public QWidget {
    Q_OBJECT

public:
    static constexpr int trashMinimumWidth = 90;

    explicit LargeFilesActionBar(QWidget* parent = nullptr);

    // "Move to Trash" is offered only for a selection that is not empty.
    void setSelection(std::int64_t bytes, std::size_t count);

    QString sizeText() const;
    QString countText() const;
    ProminentButton* trashButton() const { return m_trash; }

signals:
    void trashRequested();

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuildColors();

    QLabel* m_size;
    QLabel* m_count;
    ProminentButton* m_trash;
};

} // namespace brisklet::ui
