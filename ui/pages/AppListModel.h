#pragma once

#include "app/AppUsage.h"
#include "ui/pages/AppRow.h"

#include <QAbstractListModel>
#include <QHash>
#include <QIcon>

#include <cstdint>
#include <set>
#include <vector>

namespace brisklet {
class MemoryModel;
}

namespace brisklet::ui {

// The running apps the memory model lists, one row each in its order (largest first). The lists
// arrive every few seconds, mostly with the same apps: rows are matched by app, so an app that
// stays keeps its row (and with it the keyboard's current row and anything pointing at it) even
// when it moves, only rows whose app changed are repainted, and only apps that come or go insert or
// remove rows.
class AppListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    explicit AppListModel(MemoryModel& memory, QObject* parent = nullptr);

    // The app behind a row as drawn now, or null.
    const AppUsage* app(const QModelIndex& index) const;
    // The row of the app whose main process is `id`; invalid when it is not listed.
    QModelIndex indexOf(pid_t id) const;
    bool isSelected(const QModelIndex& index) const;
    // Everything the row paints with; valid until the list next changes.
    AppRow row(const QModelIndex& index) const;
    const QString& figure(const QModelIndex& index) const;
    // The app's icon, looked up once per icon name.
    QIcon icon(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        AppUsage usage;
        QString figure;
    };

    static Row rowFor(const AppUsage& usage);
    void sync();
    void removeGone(const std::vector<AppUsage>& next);
    void reorder(const std::vector<AppUsage>& next);
    void insertNew(const std::vector<AppUsage>& next);
    void refreshChanged(const std::vector<AppUsage>& next, std::uint64_t biggestBefore);
    void selectionChanged();

    MemoryModel& m_memory;
    std::vector<Row> m_rows;
    std::set<pid_t> m_checked; // the selection the rows show
    mutable QHash<QString, QIcon> m_icons;
};

} // namespace brisklet::ui
