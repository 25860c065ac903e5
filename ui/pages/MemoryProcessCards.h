#pragma once

#include "app/AppUsage.h"
#include "core/proc/ProcessSample.h"

#include <QWidget>

#include <map>
#include <vector>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace brisklet::ui {

class Card;
class ElidedLine;
class ToneLabel;

// The developer runtimes and servers still running, each with its command, where it runs, its
// memory and a "Stop" button; a row's tooltip gives its process id. Rows are kept per process, so
// a refresh moves and updates them in place and a focused "Stop" button keeps the focus.
class DevProcessesCard final : public QWidget {
    Q_OBJECT

public:
    class Row;

    explicit DevProcessesCard(QWidget* parent = nullptr);
    ~DevProcessesCard() override;

    void setProcesses(const std::vector<DevProcess>& processes);

    QString totalText() const;
    int rowCount() const { return static_cast<int>(m_order.size()); }
    // The rows' parts in list order, for whoever needs to look at them.
    QWidget* rowWidget(int row) const;
    ElidedLine* titleLine(int row) const;
    // Hidden when the process's working directory is unknown.
    ElidedLine* directoryLine(int row) const;
    QPushButton* stopButton(int row) const;

signals:
    void stopRequested(const DevProcess& process);

private:
    Card* m_card;
    ToneLabel* m_total;
    QVBoxLayout* m_rows;
    std::map<pid_t, Row*> m_byPid;
    std::vector<Row*> m_order;
};

// The heaviest processes that belong to no app, for reference only: a gear, the name, the memory.
class BackgroundCard final : public QWidget {
    Q_OBJECT

public:
    explicit BackgroundCard(QWidget* parent = nullptr);

    void setProcesses(const std::vector<ProcessSample>& processes);

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    // "kworker 12.3 MB"
    QString rowText(int row) const;

private:
    struct Row {
        QWidget* widget;
        QLabel* name;
        ToneLabel* figure;
    };

    Card* m_card;
    QVBoxLayout* m_column;
    std::vector<Row> m_rows;
};

} // namespace brisklet::ui
