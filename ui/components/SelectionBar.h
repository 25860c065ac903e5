#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>

class QLabel;
class QPushButton;

namespace brisklet::ui {

class Spinner;
class ProminentButton;

// A list page's bottom bar: how much is selected, how many of what and where it goes, a spinner
// while the page's action runs, and the prominent button for that action. The page decides when
// the button is offered.
class SelectionBar final : public QWidget {
    Q_OBJECT

public:
    struct Wording {
        // Follows the count: "items · removed permanently". The same whatever the count, 1 included.
        QString count;
        QString action;
        // The spinner's name while the action runs; empty for a page whose action is over before a
        // spinner could show.
        QString busy = {};
        int actionMinimumWidth = 70;
        // A plain button before the action that gives the selection up ("Deselect"); empty for none.
        QString dismiss = {};
        // Memory is worded in binary units, disk space in decimal ones.
        bool memoryAmounts = false;
    };

    explicit SelectionBar(Wording wording, QWidget* parent = nullptr);

    void setSelection(std::int64_t bytes, std::size_t count);
    void setBusy(bool busy);
    void setActionEnabled(bool enabled);

    QString sizeText() const;
    QString countText() const;
    ProminentButton* actionButton() const { return m_action; }
    // Null when the bar offers no dismissal.
    QPushButton* dismissButton() const { return m_dismiss; }
    // Null when the bar has no spinner.
    Spinner* spinner() const { return m_spinner; }

signals:
    void actionRequested();
    void dismissRequested();

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuildColors();

    QString m_countWording;
    bool m_memoryAmounts;
    QLabel* m_size;
    QLabel* m_count;
    Spinner* m_spinner = nullptr;
    QPushButton* m_dismiss = nullptr;
    ProminentButton* m_action;
};

} // namespace brisklet::ui
