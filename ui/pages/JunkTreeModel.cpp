#include "ui/pages/JunkTreeModel.h"

#include "app/StorageModel.h"
#include "core/fs/Bytes.h"
#include "core/fs/TildePath.h"

namespace brisklet::ui {

namespace {

// A child's internal id names its kind (plus one); top-level rows have 0.
quintptr childId(JunkKind kind) {
    return static_cast<quintptr>(kind) + 1;
}

QString checkWords(CheckState state) {
    return state == CheckState::off ? QStringLiteral("Not selected") : QStringLiteral("Selected");
}

} // namespace

JunkTreeModel::JunkTreeModel(StorageModel& storage, std::filesystem::path home, QObject* parent)
    : QAbstractItemModel(parent), m_storage(storage), m_home(std::move(home)) {
    for (const JunkKind kind : allJunkKinds)
        m_shapes[static_cast<std::size_t>(kind)] = shapeOf(kind);
    connect(&storage, &StorageModel::junkChanged, this, &JunkTreeModel::junkChanged);
    connect(&storage, &StorageModel::junkSelectionChanged, this, &JunkTreeModel::selectionChanged);
    connect(&storage, &StorageModel::scanningJunkChanged, this, &JunkTreeModel::categoriesChanged);
}

void JunkTreeModel::setHome(std::filesystem::path home) {
    if (home == m_home) return;
    m_home = std::move(home);
    for (const JunkKind kind : allJunkKinds) {
        const int count = rowCount(categoryIndex(kind));
        if (count > 0) emit dataChanged(index(0, 0, categoryIndex(kind)), index(count - 1, 0, categoryIndex(kind)));
    }
}

const JunkCategory* JunkTreeModel::category(JunkKind kind) const {
    const auto& junk = m_storage.junk();
    const auto found = junk.find(kind);
    return found == junk.end() ? nullptr : &found->second;
}

JunkTreeModel::Shape JunkTreeModel::shapeOf(JunkKind kind) const {
    const JunkCategory* held = category(kind);
    if (!held) return {};
    return {true, held->accessDenied, static_cast<int>(held->items.size()), held->size()};
}

int JunkTreeModel::childCount(JunkKind kind, const Shape& shape) {
    const bool emptyLine = shape.exists && shape.items == 0 && !shape.accessDenied;
    return firstItemRow(kind) + shape.items + (emptyLine ? 1 : 0);
}

QModelIndex JunkTreeModel::categoryIndex(JunkKind kind) const {
    return createIndex(static_cast<int>(kind), 0, quintptr{0});
}

QModelIndex JunkTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid())
        return row < static_cast<int>(allJunkKinds.size()) ? createIndex(row, 0, quintptr{0}) : QModelIndex();
    if (parent.internalId() != 0) return {};
    const auto kind = static_cast<JunkKind>(parent.row());
    if (row >= childCount(kind, m_shapes[static_cast<std::size_t>(kind)])) return {};
    return createIndex(row, 0, childId(kind));
}

QModelIndex JunkTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == 0) return {};
    return categoryIndex(static_cast<JunkKind>(child.internalId() - 1));
}

int JunkTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return static_cast<int>(allJunkKinds.size());
    if (parent.internalId() != 0 || parent.column() != 0) return 0;
    const auto kind = static_cast<JunkKind>(parent.row());
    return childCount(kind, m_shapes[static_cast<std::size_t>(kind)]);
}

int JunkTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

const JunkItem* JunkTreeModel::item(const QModelIndex& index) const {
    if (!index.isValid() || index.internalId() == 0) return nullptr;
    const auto kind = static_cast<JunkKind>(index.internalId() - 1);
    const JunkCategory* held = category(kind);
    const int at = index.row() - firstItemRow(kind);
    // The storage model may already hold a new scan while the view still asks about the old rows.
    if (!held || at < 0 || at >= static_cast<int>(held->items.size())) return nullptr;
    return &held->items[static_cast<std::size_t>(at)];
}

JunkTreeModel::Row JunkTreeModel::row(const QModelIndex& index) const {
    Row row;
    if (!index.isValid()) return row;
    if (index.internalId() == 0) {
        row.kind = static_cast<JunkKind>(index.row());
        row.type = RowType::category;
        row.title = QString::fromUtf8(title(row.kind));
        row.detail = QString::fromUtf8(subtitle(row.kind));
        const JunkCategory* held = category(row.kind);
        if (m_storage.scanningJunk().contains(row.kind))
            row.trailing = Trailing::scanning;
        else if (held && held->accessDenied)
            row.trailing = Trailing::needsAccess;
        row.size = QString::fromStdString(Bytes::disk(held ? held->size() : 0));
        row.check = m_storage.checkState(row.kind);
        row.checkEnabled = held && !held->items.empty();
        return row;
    }
    row.kind = static_cast<JunkKind>(index.internalId() - 1);
    if (row.kind == JunkKind::trash && index.row() == 0) {
        row.type = RowType::trashActions;
        return row;
    }
    const JunkItem* junk = item(index);
    if (!junk) {
        row.type = RowType::empty;
        row.title = emptyText();
        return row;
    }
    row.type = RowType::item;
    row.title = QString::fromStdString(junk->name);
    row.detail = QString::fromStdString(junk->note ? *junk->note : tildePath(junk->url, m_home));
    row.size = QString::fromStdString(Bytes::disk(junk->size));
    row.check = m_storage.junkSelection().contains(junk->id()) ? CheckState::on : CheckState::off;
    row.checkEnabled = true;
    row.iconPath = junk->appURL ? *junk->appURL : junk->url;
    return row;
}

bool JunkTreeModel::isCheckable(const QModelIndex& index) const {
    if (!index.isValid()) return false;
    if (index.internalId() == 0) {
        const JunkCategory* held = category(static_cast<JunkKind>(index.row()));
        return held && !held->items.empty();
    }
    return item(index) != nullptr;
}

QVariant JunkTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == rowTypeRole) return static_cast<int>(row(index).type);
    if (role == kindRole) {
        return static_cast<int>(index.internalId() == 0 ? static_cast<JunkKind>(index.row())
                                                        : static_cast<JunkKind>(index.internalId() - 1));
    }
    if (role == Qt::CheckStateRole) {
        const Row shown = row(index);
        if (shown.type != RowType::category && shown.type != RowType::item) return {};
        return shown.check == CheckState::on      ? Qt::Checked
               : shown.check == CheckState::mixed ? Qt::PartiallyChecked
                                                  : Qt::Unchecked;
    }
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    const Row shown = row(index);
    switch (shown.type) {
    case RowType::category: {
        if (role == Qt::DisplayRole) return shown.title;
        QString status = shown.trailing == Trailing::scanning      ? QStringLiteral("Scanning")
                         : shown.trailing == Trailing::needsAccess ? QStringLiteral("Needs access")
                                                                   : shown.size;
        return shown.title + QStringLiteral(", ") + status + QStringLiteral(", ") + checkWords(shown.check);
    }
    case RowType::item:
        if (role == Qt::DisplayRole) return shown.title;
        return shown.title + QStringLiteral(", ") + shown.size + QStringLiteral(", ") + checkWords(shown.check);
    case RowType::trashActions:
        return QStringLiteral("Trash actions");
    case RowType::empty:
        return shown.title;
    }
    return {};
}

Qt::ItemFlags JunkTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void JunkTreeModel::junkChanged() {
    for (const JunkKind kind : allJunkKinds) {
        auto& held = m_shapes[static_cast<std::size_t>(kind)];
        const Shape now = shapeOf(kind);
        if (now == held) continue;
        const QModelIndex parent = categoryIndex(kind);
        const bool sameRows = now.exists == held.exists && now.accessDenied == held.accessDenied &&
                              now.items == held.items;
        if (sameRows) {
            // Same rows, new figures: repaint them in place so that whatever points at them stays.
            held = now;
            const int count = childCount(kind, now);
            if (count > 0) emit dataChanged(index(0, 0, parent), index(count - 1, 0, parent));
            emit dataChanged(parent, parent);
            continue;
        }
        // Only this kind's rows are replaced; the Trash's actions row stays, as do other kinds'.
        const int first = firstItemRow(kind);
        const int before = childCount(kind, held);
        if (before > first) {
            beginRemoveRows(parent, first, before - 1);
            held = Shape{};
            endRemoveRows();
        }
        held = Shape{};
        const int after = childCount(kind, now);
        if (after > first) {
            beginInsertRows(parent, first, after - 1);
            held = now;
            endInsertRows();
        }
        held = now;
        emit dataChanged(parent, parent);
    }
}

void JunkTreeModel::selectionChanged() {
    // Check marks only: every row stays where it is.
    for (const JunkKind kind : allJunkKinds) {
        const QModelIndex parent = categoryIndex(kind);
        emit dataChanged(parent, parent, {Qt::CheckStateRole, Qt::AccessibleTextRole});
        const auto& shape = m_shapes[static_cast<std::size_t>(kind)];
        if (shape.items > 0) {
            const int first = firstItemRow(kind);
            emit dataChanged(index(first, 0, parent), index(first + shape.items - 1, 0, parent),
                             {Qt::CheckStateRole, Qt::AccessibleTextRole});
        }
    }
}

void JunkTreeModel::categoriesChanged() {
    emit dataChanged(categoryIndex(allJunkKinds.front()), categoryIndex(allJunkKinds.back()));
}

} // namespace brisklet::ui
