#pragma once

#include "app/CheckState.h"
#include "core/junk/JunkItem.h"
#include "core/junk/JunkKind.h"

#include <QAbstractItemModel>
#include <QString>

#include <array>
#include <cstdint>
#include <filesystem>

namespace brisklet {
class StorageModel;
}

namespace brisklet::ui {

// The junk list as a tree: one top-level row per kind, in the kinds' order, and under each the rows
// its open group shows. Rows are read from the storage model as they are painted; the tree keeps
// only how many rows each kind has, so that a kind that is rescanned replaces its own rows and no
// other kind's. A selection change only repaints the check marks.
class JunkTreeModel final : public QAbstractItemModel {
    Q_OBJECT

public:
    enum class RowType { category, item, trashActions, empty };

    // What a category row shows at its right edge.
    enum class Trailing { size, scanning, needsAccess };

    // Everything one row draws, read in one go.
    struct Row {
        RowType type = RowType::category;
        JunkKind kind = JunkKind::appCaches;
        QString title;  // the kind's title, the item's name, or the empty wording
        QString detail; // the kind's subtitle, or the item's note or home-relative location
        Trailing trailing = Trailing::size;
        QString size;
        CheckState check = CheckState::off;
        bool checkEnabled = false;
        std::filesystem::path iconPath; // an item's app, else the item itself
    };

    static constexpr int rowTypeRole = Qt::UserRole + 1;
    static constexpr int kindRole = Qt::UserRole + 2;

    JunkTreeModel(StorageModel& storage, std::filesystem::path home, QObject* parent = nullptr);

    void setHome(std::filesystem::path home);

    QModelIndex categoryIndex(JunkKind kind) const;
    // The item behind an item row, or null; valid until the storage model's junk next changes.
    const JunkItem* item(const QModelIndex& index) const;
    Row row(const QModelIndex& index) const;
    // Whether the row has a check box that may be pressed now.
    bool isCheckable(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    static QString emptyText() { return QStringLiteral("Nothing to clean here."); }

private:
    // How a kind's content is laid out: enough to tell whether its rows must be rebuilt.
    struct Shape {
        bool exists = false;
        bool accessDenied = false;
        int items = 0;
        std::int64_t size = 0;
        bool operator==(const Shape&) const = default;
    };

    Shape shapeOf(JunkKind kind) const;
    static int childCount(JunkKind kind, const Shape& shape);
    // The first child row that holds an item: the Trash's actions row comes before its items.
    static int firstItemRow(JunkKind kind) { return kind == JunkKind::trash ? 1 : 0; }
    const JunkCategory* category(JunkKind kind) const;

    void junkChanged();
    void selectionChanged();
    void categoriesChanged();

    StorageModel& m_storage;
    std::filesystem::path m_home;
    std::array<Shape, allJunkKinds.size()> m_shapes{};
};

} // namespace brisklet::ui
