#include "ui/SidebarModel.h"

#include "app/MemoryModel.h"
#include "app/StorageModel.h"
#include "core/fs/Bytes.h"
#include "ui/components/PercentRing.h"

#include <cstdint>

namespace brisklet::ui {

SidebarModel::SidebarModel(const StorageModel& storage, const MemoryModel& memory, QObject* parent)
    : QAbstractListModel(parent), m_storage(storage), m_memory(memory) {
    QString section;
    for (const Page page : allPages) {
        if (const QString heading = sectionTitle(page); heading != section) {
            section = heading;
            m_rows.push_back({std::nullopt, heading});
        }
        m_rows.push_back({page, sidebarTitle(page)});
    }
    for (const Page page : allPages)
        m_badges[page] = badge(page, storage, memory);
    connect(&storage, &StorageModel::junkChanged, this, [this] { pageChanged(Page::junk); });
    connect(&storage, &StorageModel::nodeFoldersChanged, this, [this] { pageChanged(Page::nodeModules); });
    connect(&memory, &MemoryModel::snapshotChanged, this, [this] { pageChanged(Page::memory); });
}

int SidebarModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant SidebarModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return row.title;
    case IsHeadingRole:
        return !row.page;
    case PageRole:
        return row.page ? QVariant(static_cast<int>(*row.page)) : QVariant();
    case SymbolRole:
        return row.page ? QVariant(QString::fromUtf8(sidebarSymbol(*row.page))) : QVariant();
    case BadgeRole:
        return row.page ? QVariant(m_badges.at(*row.page)) : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags SidebarModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    // Headings are neither selectable nor reachable with the arrow keys.
    return m_rows[static_cast<std::size_t>(index.row())].page ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                                                              : Qt::NoItemFlags;
}

QModelIndex SidebarModel::indexOf(Page page) const {
    for (std::size_t row = 0; row < m_rows.size(); ++row)
        if (m_rows[row].page == page) return index(static_cast<int>(row));
    return {};
}

std::optional<Page> SidebarModel::pageAt(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this || index.row() >= rowCount()) return std::nullopt;
    return m_rows[static_cast<std::size_t>(index.row())].page;
}

QString SidebarModel::badge(Page page, const StorageModel& storage, const MemoryModel& memory) {
    switch (page) {
    case Page::junk:
        if (storage.junk().empty()) return {};
        return QString::fromStdString(Bytes::disk(storage.junkTotal()));
    case Page::nodeModules: {
        const auto& folders = storage.nodeFolders();
        if (!folders) return {};
        std::int64_t sum = 0;
        for (const NodeModulesFolder& folder : *folders)
            sum += folder.size;
        return QString::fromStdString(Bytes::disk(sum));
    }
    case Page::memory:
        return memoryBadge(memory.snapshot().usedFraction());
    case Page::overview:
    case Page::largeFiles:
        return {};
    }
    return {};
}

QString SidebarModel::memoryBadge(double usedFraction) {
    return PercentRing::percentText(usedFraction);
}

void SidebarModel::pageChanged(Page page) {
    // The memory figures change with nearly every stats pass while the rounded percentage rarely
    // does: only a new badge text is worth a repaint.
    QString now = badge(page, m_storage, m_memory);
    QString& shown = m_badges[page];
    if (now == shown) return;
    shown = std::move(now);
    const QModelIndex changed = indexOf(page);
    emit dataChanged(changed, changed, {BadgeRole});
}

} // namespace brisklet::ui
