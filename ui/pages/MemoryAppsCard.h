#pragma once

#include <QWidget>

namespace brisklet {
class MemoryModel;
}

namespace brisklet::ui {

class AppListModel;
class AppListView;
class ToneLabel;

// The running apps under their header: how many run, and that each one's figure includes its
// helpers.
class MemoryAppsCard final : public QWidget {
    Q_OBJECT

public:
    explicit MemoryAppsCard(MemoryModel& memory, QWidget* parent = nullptr);

    AppListModel* model() const { return m_model; }
    AppListView* list() const { return m_list; }
    // "3 running"
    QString countText() const;

private:
    void updateCount();

    AppListModel* m_model;
    AppListView* m_list;
    ToneLabel* m_count;
};

} // namespace brisklet::ui
