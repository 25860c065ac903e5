#pragma once

#include <QWidget>

#include <cstdint>

class QPushButton;

namespace brisklet::ui {

class ToneLabel;

// The heading of the node_modules list: how many projects and how much they take, then the three
// ways to select in bulk.
class NodeModulesSectionHeader final : public QWidget {
    Q_OBJECT

public:
    explicit NodeModulesSectionHeader(QWidget* parent = nullptr);

    void setTotals(std::size_t projects, std::int64_t bytes);
    QString totalsText() const;

    QPushButton* staleButton() const { return m_stale; }
    QPushButton* allButton() const { return m_all; }
    QPushButton* noneButton() const { return m_none; }

signals:
    void selectStaleRequested();
    void selectAllRequested();
    void selectNoneRequested();

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuildColors();

    ToneLabel* m_totals;
    QPushButton* m_stale;
    QPushButton* m_all;
    QPushButton* m_none;
};

} // namespace brisklet::ui
