#pragma once

#include "ui/Page.h"

#include <QAbstractListModel>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace brisklet {
class MemoryModel;
class StorageModel;
} // namespace brisklet

namespace brisklet::ui {

// The sidebar's rows: every page, with a heading row before each section. Badges are read from the
// models whenever a row is drawn; the models' change signals only say which row to redraw.
class SidebarModel final : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { PageRole = Qt::UserRole + 1, SymbolRole, BadgeRole, IsHeadingRole };

    SidebarModel(const StorageModel& storage, const MemoryModel& memory, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QModelIndex indexOf(Page page) const;
    std::optional<Page> pageAt(const QModelIndex& index) const;

    // The trailing text of a page's row, empty for none.
    static QString badge(Page page, const StorageModel& storage, const MemoryModel& memory);
    // "63%" for 0.625: halves away from zero, as every percentage the interface shows.
    static QString memoryBadge(double usedFraction);

private:
    struct Row {
        std::optional<Page> page; // none for a heading
        QString title;
    };

    void pageChanged(Page page);

    const StorageModel& m_storage;
    const MemoryModel& m_memory;
    std::vector<Row> m_rows;
    // The badge each page shows, as last announced.
    std::map<Page, QString> m_badges;
};

} // namespace brisklet::ui
