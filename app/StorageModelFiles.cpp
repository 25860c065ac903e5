// The node_modules and large-file areas of the storage model.
#include "app/StorageModel.h"

#include "app/Background.h"
#include "app/Observable.h"
#include "app/WorkerPools.h"
#include "core/fs/Bytes.h"

#include <algorithm>
#include <chrono>
#include <numeric>
#include <utility>

namespace fs = std::filesystem;

namespace brisklet {

namespace {

// The listed entries whose location is selected, in list order. A selected location that is no
// longer listed (after a new search or a new root) is never acted on.
template <typename Entry>
std::vector<Entry> listedAndSelected(const std::optional<std::vector<Entry>>& list,
                                     const std::set<fs::path>& selection) {
    std::vector<Entry> entries;
    if (!list) return entries;
    std::copy_if(list->begin(), list->end(), std::back_inserter(entries),
                 [&](const Entry& entry) { return selection.contains(entry.url); });
    return entries;
}

template <typename Entry> std::int64_t totalSize(const std::vector<Entry>& entries) {
    return std::accumulate(entries.begin(), entries.end(), std::int64_t{0},
                           [](std::int64_t sum, const Entry& entry) { return sum + entry.size; });
}

QString itemCount(std::size_t count) {
    return QStringLiteral("%1 item%2").arg(count).arg(count == 1 ? QString() : QStringLiteral("s"));
}

} // namespace

// ---- node_modules ----

void StorageModel::setNodeSelection(std::set<fs::path> selection) {
    assignIfChanged(this, m_nodeSelection, std::move(selection), &StorageModel::nodeSelectionChanged);
}

void StorageModel::setNodeNotice(std::optional<Notice> notice) {
    assignIfChanged(this, m_nodeNotice, std::move(notice), &StorageModel::nodeNoticeChanged);
}

std::int64_t StorageModel::nodeSelectedSize() const {
    return totalSize(listedAndSelected(m_nodeFolders, m_nodeSelection));
}

void StorageModel::setNodeRoot(const fs::path& root) {
    assignIfChanged(this, m_nodeRoot, root, &StorageModel::nodeRootChanged);
    remember(QStringLiteral("nodeRoot"), root);
    assignIfChanged(this, m_nodeFolders, {}, &StorageModel::nodeFoldersChanged);
    // While a search of the old root runs this does nothing, and that search's list is what shows.
    scanNodeModules();
}

void StorageModel::scanNodeModules() {
    if (m_isScanningNode) return;
    assignIfChanged(this, m_isScanningNode, true, &StorageModel::isScanningNodeChanged);
    runThenPublish(
        m_pools.userInitiated(), this,
        [root = m_nodeRoot, home = m_services.locations().home] {
            return NodeModulesFinder::find(root, home);
        },
        [this](std::vector<NodeModulesFolder> folders) {
            assignIfChanged(this, m_nodeFolders, std::optional(std::move(folders)),
                            &StorageModel::nodeFoldersChanged);
            setNodeSelection({});
            assignIfChanged(this, m_isScanningNode, false, &StorageModel::isScanningNodeChanged);
        });
}

void StorageModel::selectStaleNodeModules(int days) {
    using namespace std::chrono;
    const auto cutoff = system_clock::now() - seconds(std::int64_t{days} * 86'400);
    std::set<fs::path> stale;
    if (m_nodeFolders) {
        for (const NodeModulesFolder& folder : *m_nodeFolders) {
            // Never dated counts as touched long ago.
            if (!folder.lastTouched || *folder.lastTouched < cutoff) stale.insert(folder.url);
        }
    }
    setNodeSelection(std::move(stale));
}

void StorageModel::deleteSelectedNodeModules() {
    const std::vector<NodeModulesFolder> folders = listedAndSelected(m_nodeFolders, m_nodeSelection);
    if (folders.empty() || m_isDeletingNode) return;
    assignIfChanged(this, m_isDeletingNode, true, &StorageModel::isDeletingNodeChanged);

    std::vector<std::pair<fs::path, std::int64_t>> batch;
    for (const NodeModulesFolder& folder : folders)
        batch.emplace_back(folder.url, folder.size);
    const Locations locations = m_services.locations();
    runThenPublish(
        m_pools.userInitiated(), this, [batch, locations] { return Cleaner::deleteItems(batch, locations); },
        [this, batch, layout = locations.layout](const CleanResult& result) {
            assignIfChanged(this, m_isDeletingNode, false, &StorageModel::isDeletingNodeChanged);
            // Only what was handed to the cleaner and did not fail is gone. Going by the selection
            // of now instead would drop folders the user ticked meanwhile, which were never touched.
            std::set<fs::path> removed;
            for (const auto& [url, size] : batch) {
                if (std::find(result.failed.begin(), result.failed.end(), url) == result.failed.end())
                    removed.insert(url);
            }
            if (m_nodeFolders) {
                std::vector<NodeModulesFolder> remaining = *m_nodeFolders;
                std::erase_if(remaining,
                              [&](const NodeModulesFolder& folder) { return removed.contains(folder.url); });
                assignIfChanged(this, m_nodeFolders, std::optional(std::move(remaining)),
                                &StorageModel::nodeFoldersChanged);
            }
            setNodeSelection({});
            setNodeNotice(
                Notice::make(summary(result.freed, static_cast<int>(result.failed.size()), layout) +
                                 QStringLiteral(" Run npm install in a project to bring its packages back."),
                             false));
            refreshDisk();
        });
}

// ---- Large files ----

void StorageModel::setLargeMinSize(std::int64_t bytes) {
    assignIfChanged(this, m_largeMinSize, bytes, &StorageModel::largeMinSizeChanged);
}

void StorageModel::setLargeSelection(std::set<fs::path> selection) {
    assignIfChanged(this, m_largeSelection, std::move(selection), &StorageModel::largeSelectionChanged);
}

void StorageModel::setLargeNotice(std::optional<Notice> notice) {
    assignIfChanged(this, m_largeNotice, std::move(notice), &StorageModel::largeNoticeChanged);
}

std::int64_t StorageModel::largeSelectedSize() const {
    return totalSize(listedAndSelected(m_largeFiles, m_largeSelection));
}

void StorageModel::setLargeRoot(const fs::path& root) {
    assignIfChanged(this, m_largeRoot, root, &StorageModel::largeRootChanged);
    remember(QStringLiteral("largeRoot"), root);
    assignIfChanged(this, m_largeFiles, {}, &StorageModel::largeFilesChanged);
    scanLargeFiles();
}

void StorageModel::scanLargeFiles() {
    if (m_isScanningLarge) return;
    assignIfChanged(this, m_isScanningLarge, true, &StorageModel::isScanningLargeChanged);
    runThenPublish(
        m_pools.userInitiated(), this,
        [root = m_largeRoot, minSize = m_largeMinSize, home = m_services.locations().home] {
            return LargeFileFinder::find(root, minSize, kLargeFileLimit, home);
        },
        [this](std::vector<LargeFile> files) {
            assignIfChanged(this, m_largeFiles, std::optional(std::move(files)),
                            &StorageModel::largeFilesChanged);
            setLargeSelection({});
            assignIfChanged(this, m_isScanningLarge, false, &StorageModel::isScanningLargeChanged);
        });
}

void StorageModel::trashSelectedLargeFiles() {
    const std::vector<LargeFile> files = listedAndSelected(m_largeFiles, m_largeSelection);
    if (files.empty()) return;
    std::vector<fs::path> urls;
    for (const LargeFile& file : files)
        urls.push_back(file.url);

    const TrashMoveResult result = m_services.moveToTrash(urls);
    const std::set<fs::path> moved(result.moved.begin(), result.moved.end());
    std::vector<LargeFile> remaining = *m_largeFiles;
    std::erase_if(remaining, [&](const LargeFile& file) { return moved.contains(file.url); });
    assignIfChanged(this, m_largeFiles, std::optional(std::move(remaining)),
                    &StorageModel::largeFilesChanged);
    setLargeSelection({});

    // The size in brackets is everything that was selected, moved or not.
    QString text = QStringLiteral("Moved ") + itemCount(result.moved.size()) + QStringLiteral(" (") +
                   QString::fromStdString(Bytes::disk(totalSize(files))) +
                   QStringLiteral(") to the Trash. Empty the Trash to get the space back.");
    if (!result.failed.empty()) text += QStringLiteral(" %1 couldn't be moved.").arg(result.failed.size());
    setLargeNotice(Notice::make(text, result.moved.empty()));
    refreshDisk();
    scanJunk({JunkKind::trash});
}

} // namespace brisklet
