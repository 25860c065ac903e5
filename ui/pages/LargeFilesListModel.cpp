#include "ui/pages/LargeFilesListModel.h"

#include "app/StorageModel.h"
#include "core/fs/Bytes.h"
#include "core/fs/TildePath.h"
#include "ui/DateText.h"

namespace brisklet::ui {

namespace {

QString fromPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

} // namespace

LargeFilesListModel::LargeFilesListModel(StorageModel& storage, std::filesystem::path home, QObject* parent)
    : QAbstractListModel(parent), m_storage(storage), m_home(std::move(home)) {
    const auto* held = files();
    m_count = held ? static_cast<int>(held->size()) : 0;
    m_dates.resize(static_cast<std::size_t>(m_count));
    connect(&storage, &StorageModel::largeFilesChanged, this, &LargeFilesListModel::filesChanged);
    connect(&storage, &StorageModel::largeSelectionChanged, this, &LargeFilesListModel::selectionChanged);
}

void LargeFilesListModel::setHome(std::filesystem::path home) {
    if (home == m_home) return;
    m_home = std::move(home);
    if (m_count > 0) emit dataChanged(index(0), index(m_count - 1));
}

const std::vector<LargeFile>* LargeFilesListModel::files() const {
    const auto& held = m_storage.largeFiles();
    return held ? &*held : nullptr;
}

const LargeFile* LargeFilesListModel::file(const QModelIndex& index) const {
    const auto* held = files();
    if (!held || !index.isValid() || index.model() != this || index.row() >= m_count ||
        index.row() >= static_cast<int>(held->size()))
        return nullptr;
    return &(*held)[static_cast<std::size_t>(index.row())];
}

QString LargeFilesListModel::dateText(const std::optional<std::chrono::system_clock::time_point>& modified) {
    if (!modified) return {};
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(modified->time_since_epoch());
    return DateText::mediumDate(QDateTime::fromMSecsSinceEpoch(ms.count()));
}

QString LargeFilesListModel::cachedDate(int row) const {
    auto& cached = m_dates[static_cast<std::size_t>(row)];
    if (!cached) cached = dateText((*files())[static_cast<std::size_t>(row)].modified);
    return *cached;
}

LargeFilesListModel::Row LargeFilesListModel::row(const QModelIndex& index) const {
    const LargeFile* f = file(index);
    if (!f) return {};
    Row r;
    r.name = fromPath(f->url.filename());
    r.folder = QString::fromStdString(tildePath(f->url.parent_path(), m_home));
    r.date = cachedDate(index.row());
    r.size = QString::fromStdString(Bytes::disk(f->size));
    r.selected = m_storage.largeSelection().contains(f->url);
    r.path = f->url;
    return r;
}

int LargeFilesListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_count;
}

QVariant LargeFilesListModel::data(const QModelIndex& index, int role) const {
    const LargeFile* f = file(index);
    if (!f) return {};
    switch (role) {
    case Qt::DisplayRole:
        return fromPath(f->url.filename());
    case Qt::CheckStateRole:
        return m_storage.largeSelection().contains(f->url) ? Qt::Checked : Qt::Unchecked;
    case Qt::AccessibleTextRole: {
        const Row r = row(index);
        QStringList parts{r.name, r.folder};
        if (!r.date.isEmpty()) parts << r.date;
        parts << r.size << (r.selected ? QStringLiteral("Selected") : QStringLiteral("Not selected"));
        return parts.join(QStringLiteral(", "));
    }
    case pathRole:
        return fromPath(f->url);
    default:
        return {};
    }
}

Qt::ItemFlags LargeFilesListModel::flags(const QModelIndex& index) const {
    if (!file(index)) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

void LargeFilesListModel::filesChanged() {
    // A new scan or a move to the Trash: both give a list whose rows no longer line up with ours.
    beginResetModel();
    const auto* held = files();
    m_count = held ? static_cast<int>(held->size()) : 0;
    m_dates.assign(static_cast<std::size_t>(m_count), std::nullopt);
    endResetModel();
}

void LargeFilesListModel::selectionChanged() {
    if (m_count > 0) emit dataChanged(index(0), index(m_count - 1), {Qt::CheckStateRole, Qt::AccessibleTextRole});
}

} // namespace brisklet::ui
