#include "ui/pages/NodeModulesListModel.h"

#include "app/StorageModel.h"
#include "core/fs/Bytes.h"
#include "core/fs/TildePath.h"
#include "ui/DateText.h"

#include <chrono>

namespace brisklet::ui {

namespace {

const std::vector<NodeModulesFolder>& listed(const StorageModel& storage) {
    static const std::vector<NodeModulesFolder> none;
    const auto& folders = storage.nodeFolders();
    return folders ? *folders : none;
}

QDateTime toDateTime(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    return QDateTime::fromMSecsSinceEpoch(duration_cast<milliseconds>(when.time_since_epoch()).count());
}

} // namespace

NodeModulesListModel::NodeModulesListModel(StorageModel& storage, std::filesystem::path home, QObject* parent)
    : QAbstractListModel(parent), m_storage(storage), m_home(std::move(home)),
      m_clock([] { return QDateTime::currentDateTime(); }) {
    m_texts.resize(listed(storage).size());
    connect(&storage, &StorageModel::nodeFoldersChanged, this, &NodeModulesListModel::listChanged);
    connect(&storage, &StorageModel::nodeSelectionChanged, this, &NodeModulesListModel::selectionChanged);
}

void NodeModulesListModel::setHome(std::filesystem::path home) {
    if (home == m_home) return;
    m_home = std::move(home);
    forgetTexts();
}

void NodeModulesListModel::setClock(Clock clock) {
    m_clock = std::move(clock);
    forgetTexts();
}

void NodeModulesListModel::rewordDates() {
    forgetTexts();
}

void NodeModulesListModel::forgetTexts() {
    for (auto& texts : m_texts)
        texts.reset();
    m_now.reset();
    if (!m_texts.empty()) emit dataChanged(index(0), index(static_cast<int>(m_texts.size()) - 1));
}

const NodeModulesFolder* NodeModulesListModel::folder(const QModelIndex& index) const {
    const auto& folders = listed(m_storage);
    if (!index.isValid() || index.row() >= static_cast<int>(folders.size())) return nullptr;
    return &folders[static_cast<std::size_t>(index.row())];
}

NodeModulesListModel::Texts NodeModulesListModel::textsFor(const NodeModulesFolder& folder,
                                                           const std::filesystem::path& home,
                                                           const QDateTime& now) {
    const std::filesystem::path project = folder.project();
    Texts texts;
    texts.name = QString::fromStdString(project.filename().string());
    texts.path = QString::fromStdString(tildePath(project, home));
    if (folder.lastTouched)
        texts.edited = QStringLiteral("edited ") + DateText::relative(toDateTime(*folder.lastTouched), now);
    texts.size = QString::fromStdString(Bytes::disk(folder.size));
    return texts;
}

const NodeModulesListModel::Texts& NodeModulesListModel::texts(const QModelIndex& index) const {
    static const Texts none;
    const NodeModulesFolder* shown = folder(index);
    if (!shown) return none;
    auto& cached = m_texts[static_cast<std::size_t>(index.row())];
    if (!cached) {
        // One "now" for the whole list, so rows worded a while apart still agree with each other.
        if (!m_now) m_now = m_clock();
        cached = textsFor(*shown, m_home, *m_now);
    }
    return *cached;
}

bool NodeModulesListModel::isSelected(const QModelIndex& index) const {
    const NodeModulesFolder* shown = folder(index);
    return shown && m_storage.nodeSelection().contains(shown->url);
}

QString NodeModulesListModel::accessibleText(const Texts& texts, bool selected) {
    QString text = texts.name + QStringLiteral(", ") + texts.size;
    if (!texts.edited.isEmpty()) text += QStringLiteral(", ") + texts.edited;
    return text + (selected ? QStringLiteral(", Selected") : QStringLiteral(", Not selected"));
}

int NodeModulesListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_texts.size());
}

QVariant NodeModulesListModel::data(const QModelIndex& index, int role) const {
    if (!folder(index)) return {};
    switch (role) {
    case Qt::DisplayRole:
        return texts(index).name;
    case Qt::ToolTipRole:
        return texts(index).path;
    case Qt::AccessibleTextRole:
        return accessibleText(texts(index), isSelected(index));
    case Qt::CheckStateRole:
        return isSelected(index) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

Qt::ItemFlags NodeModulesListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void NodeModulesListModel::listChanged() {
    // A scan or a deletion hands over a whole new list; rows are not matched up one by one.
    beginResetModel();
    m_texts.assign(listed(m_storage).size(), std::nullopt);
    m_now.reset();
    endResetModel();
}

void NodeModulesListModel::selectionChanged() {
    if (m_texts.empty()) return;
    emit dataChanged(index(0), index(static_cast<int>(m_texts.size()) - 1),
                     {Qt::CheckStateRole, Qt::AccessibleTextRole});
}

} // namespace brisklet::ui
