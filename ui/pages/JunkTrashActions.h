#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace brisklet::ui {

// The first row of the open Trash group: a sign and a sentence on what can be done with the Trash,
// and "Empty Trash…". When the Trash cannot be read the sign is a lock and the sentence says so.
class JunkTrashActions final : public QWidget {
    Q_OBJECT

public:
    static constexpr int symbolSize = 16;

    explicit JunkTrashActions(QWidget* parent = nullptr);

    void setDenied(bool denied);
    bool isDenied() const { return m_denied; }
    QString text() const;
    QPushButton* emptyButton() const { return m_empty; }

signals:
    void emptyRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* m_symbolSlot;
    QLabel* m_text;
    QPushButton* m_empty;
    bool m_denied = false;
};

} // namespace brisklet::ui
