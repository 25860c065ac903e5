#include "ui/pages/AppListModel.h"

#include "app/MemoryModel.h"
#include "core/fs/Bytes.h"
#include "host/Icons.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace brisklet::ui {

AppListModel::AppListModel(MemoryModel& memory, QObject* parent) : QAbstractListModel(parent), m_memory(memory) {
    for (const AppUsage& usage : memory.apps())
        m_rows.push_back(rowFor(usage));
    m_checked = memory.selectedApps();
    connect(&memory, &MemoryModel::appsChanged, this, &AppListModel::sync);
    connect(&memory, &MemoryModel::selectedAppsChanged, this, &AppListModel::selectionChanged);
}

AppListModel::Row AppListModel::rowFor(const AppUsage& usage) {
    return {usage, QString::fromStdString(Bytes::memory(usage.memory))};
}

const AppUsage* AppListModel::app(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size())) return nullptr;
    return &m_rows[static_cast<std::size_t>(index.row())].usage;
}

QModelIndex AppListModel::indexOf(pid_t id) const {
    const auto it = std::find_if(m_rows.begin(), m_rows.end(), [id](const Row& row) { return row.usage.id == id; });
    return it == m_rows.end() ? QModelIndex() : index(static_cast<int>(it - m_rows.begin()));
}

bool AppListModel::isSelected(const QModelIndex& index) const {
    const AppUsage* usage = app(index);
    return usage && m_memory.selectedApps().contains(usage->id);
}

AppRow AppListModel::row(const QModelIndex& index) const {
    const AppUsage& usage = m_rows.at(static_cast<std::size_t>(index.row())).usage;
    return {usage, AppRow::shareOf(usage.memory, m_rows.front().usage.memory), isSelected(index)};
}

const QString& AppListModel::figure(const QModelIndex& index) const {
    return m_rows.at(static_cast<std::size_t>(index.row())).figure;
}

QIcon AppListModel::icon(const QModelIndex& index) const {
    const AppUsage* usage = app(index);
    if (!usage) return {};
    auto it = m_icons.find(usage->iconName);
    if (it == m_icons.end()) it = m_icons.insert(usage->iconName, Icons::forApp(usage->iconName.toStdString()));
    return *it;
}

int AppListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant AppListModel::data(const QModelIndex& index, int role) const {
    const AppUsage* usage = app(index);
    if (!usage) return {};
    switch (role) {
    case Qt::DisplayRole:
        return usage->name;
    case Qt::AccessibleTextRole:
        return row(index).accessibleText(figure(index));
    case Qt::CheckStateRole:
        return isSelected(index) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

Qt::ItemFlags AppListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void AppListModel::sync() {
    const std::vector<AppUsage>& next = m_memory.apps();
    const std::uint64_t biggestBefore = m_rows.empty() ? 0 : m_rows.front().usage.memory;
    removeGone(next);
    reorder(next);
    insertNew(next);
    refreshChanged(next, biggestBefore);
}

void AppListModel::removeGone(const std::vector<AppUsage>& next) {
    std::unordered_set<pid_t> listed;
    for (const AppUsage& usage : next)
        listed.insert(usage.id);
    // From the end, a run of gone rows at a time, so the indices still to visit stay valid.
    for (int last = static_cast<int>(m_rows.size()) - 1; last >= 0;) {
        if (listed.contains(m_rows[static_cast<std::size_t>(last)].usage.id)) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && !listed.contains(m_rows[static_cast<std::size_t>(first - 1)].usage.id))
            --first;
        beginRemoveRows({}, first, last);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        endRemoveRows();
        last = first - 1;
    }
}

void AppListModel::reorder(const std::vector<AppUsage>& next) {
    // Every row left is listed in `next`: put them in its order.
    std::unordered_map<pid_t, std::size_t> rank;
    for (std::size_t i = 0; i < next.size(); ++i)
        rank.emplace(next[i].id, i);
    const auto byRank = [&](const Row& a, const Row& b) { return rank.at(a.usage.id) < rank.at(b.usage.id); };
    if (std::is_sorted(m_rows.begin(), m_rows.end(), byRank)) return;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<pid_t> before;
    for (const Row& row : m_rows)
        before.push_back(row.usage.id);
    std::stable_sort(m_rows.begin(), m_rows.end(), byRank);
    std::unordered_map<pid_t, int> after;
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        after.emplace(m_rows[i].usage.id, static_cast<int>(i));
    const QModelIndexList pointing = persistentIndexList();
    QModelIndexList moved;
    for (const QModelIndex& old : pointing)
        moved.append(index(after.at(before.at(static_cast<std::size_t>(old.row())))));
    changePersistentIndexList(pointing, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void AppListModel::insertNew(const std::vector<AppUsage>& next) {
    // The rows kept are in `next`'s order by now, so walking `next` finds each newcomer's place.
    for (std::size_t i = 0; i < next.size(); ++i) {
        if (i < m_rows.size() && m_rows[i].usage.id == next[i].id) continue;
        const int at = static_cast<int>(i);
        beginInsertRows({}, at, at);
        m_rows.insert(m_rows.begin() + at, rowFor(next[i]));
        endInsertRows();
    }
}

void AppListModel::refreshChanged(const std::vector<AppUsage>& next, std::uint64_t biggestBefore) {
    if (m_rows.empty()) return;
    std::vector<bool> changed(m_rows.size(), false);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].usage == next[i]) continue;
        if (m_rows[i].usage.memory != next[i].memory) m_rows[i].figure = rowFor(next[i]).figure;
        m_rows[i].usage = next[i];
        changed[i] = true;
    }
    // Every share bar is measured against the biggest app.
    if (m_rows.front().usage.memory != biggestBefore) std::fill(changed.begin(), changed.end(), true);
    for (std::size_t first = 0; first < changed.size();) {
        if (!changed[first]) {
            ++first;
            continue;
        }
        std::size_t last = first;
        while (last + 1 < changed.size() && changed[last + 1])
            ++last;
        emit dataChanged(index(static_cast<int>(first)), index(static_cast<int>(last)));
        first = last + 1;
    }
}

void AppListModel::selectionChanged() {
    // Every apps pass announces the selection again, mostly unchanged: only rows whose check mark
    // really changed repaint.
    const std::set<pid_t>& selected = m_memory.selectedApps();
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const pid_t id = m_rows[i].usage.id;
        if (selected.contains(id) == m_checked.contains(id)) continue;
        const QModelIndex row = index(static_cast<int>(i));
        emit dataChanged(row, row, {Qt::CheckStateRole, Qt::AccessibleTextRole});
    }
    m_checked = selected;
}

} // namespace brisklet::ui
