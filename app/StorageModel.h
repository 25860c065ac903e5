#pragma once

#include "app/CheckState.h"
#include "app/Notice.h"
#include "core/finders/LargeFileFinder.h"
#include "core/finders/NodeModulesFinder.h"
#include "core/fs/DiskInfo.h"
#include "core/junk/JunkItem.h"
#include "core/junk/JunkKind.h"
#include "core/junk/Locations.h"
#include "core/removal/Cleaner.h"
#include "core/removal/Outcome.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QSettings;

namespace brisklet {

class WorkerPools;

// Everything the window and the tray show about storage: the home volume's figures, the junk found
// per kind with the user's selection, the node_modules folders and the large files with theirs, and
// one notice per area. Lives on the main thread; every slow step runs on the user-initiated pool
// and is published back here. Busy flags keep a second run of the same activity from starting;
// nothing is ever cancelled, so a scan always publishes what it found.
class StorageModel final : public QObject {
    Q_OBJECT

public:
    // The outside world, replaceable so that tests run the real model on fixtures.
    struct Services {
        // Read afresh at every use, as the environment may change while the program runs.
        std::function<Locations()> locations = &Locations::current;
        std::function<Outcome(const Locations&)> emptyTrash = defaultEmptyTrash;
        std::function<TrashMoveResult(const std::vector<std::filesystem::path>&)> moveToTrash =
            &Cleaner::moveToTrash;
        // An INI file for the remembered folders; empty means the user's own settings.
        QString settingsFile;
        // The figures of the volume holding a folder; pictures and tests pin them.
        std::function<DiskInfo(const std::filesystem::path&)> diskInfo = &DiskInfo::current;

        static Outcome defaultEmptyTrash(const Locations& locations);
    };

    // Largest number of large files one search lists.
    static constexpr int kLargeFileLimit = 300;
    static constexpr std::int64_t kDefaultLargeMinSize = 100'000'000;

    // Reads the disk figures and the remembered folders; scans nothing. `pools` must outlive the model.
    StorageModel(Services services, WorkerPools& pools, QObject* parent = nullptr);
    ~StorageModel() override;

    // ---- Disk and junk ----
    const DiskInfo& disk() const { return m_disk; }
    void refreshDisk();

    const std::map<JunkKind, JunkCategory>& junk() const { return m_junk; }
    const std::set<JunkKind>& scanningJunk() const { return m_scanningJunk; }
    bool isCleaningJunk() const { return m_isCleaningJunk; }
    // By item id (its path's bytes), one set for every kind.
    const std::set<std::string>& junkSelection() const { return m_junkSelection; }
    const std::optional<Notice>& junkNotice() const { return m_junkNotice; }
    void setJunkNotice(std::optional<Notice> notice);

    std::int64_t junkTotal() const;
    // Selected items kind by kind in the kinds' order, each kind in its own order.
    std::vector<JunkItem> selectedJunk() const;
    std::int64_t selectedJunkSize() const;

    // Starts a scan of each kind not already scanning; every kind publishes on its own.
    void scanJunk(const std::set<JunkKind>& kinds);
    CheckState checkState(JunkKind kind) const;
    void toggle(JunkKind kind);
    void toggle(const JunkItem& item);
    void cleanSelectedJunk();
    void emptyTrash();

    // How a permanent deletion went: "Freed 1.2 GB." and, when some items failed, how many.
    static QString summary(std::int64_t freed, int failed, JunkLayout layout = hostJunkLayout());

    // ---- node_modules ----
    const std::filesystem::path& nodeRoot() const { return m_nodeRoot; }
    // Nothing until a search under the current root has finished.
    const std::optional<std::vector<NodeModulesFolder>>& nodeFolders() const { return m_nodeFolders; }
    bool isScanningNode() const { return m_isScanningNode; }
    bool isDeletingNode() const { return m_isDeletingNode; }
    const std::set<std::filesystem::path>& nodeSelection() const { return m_nodeSelection; }
    void setNodeSelection(std::set<std::filesystem::path> selection);
    const std::optional<Notice>& nodeNotice() const { return m_nodeNotice; }
    void setNodeNotice(std::optional<Notice> notice);
    std::int64_t nodeSelectedSize() const;

    void setNodeRoot(const std::filesystem::path& root);
    void scanNodeModules();
    // Selects the folders whose project nobody touched in the last `days` days (or ever, as far as
    // can be told), replacing the selection.
    void selectStaleNodeModules(int days);
    void deleteSelectedNodeModules();

    // ---- Large files ----
    const std::filesystem::path& largeRoot() const { return m_largeRoot; }
    std::int64_t largeMinSize() const { return m_largeMinSize; }
    // Takes effect at the next search.
    void setLargeMinSize(std::int64_t bytes);
    const std::optional<std::vector<LargeFile>>& largeFiles() const { return m_largeFiles; }
    bool isScanningLarge() const { return m_isScanningLarge; }
    const std::set<std::filesystem::path>& largeSelection() const { return m_largeSelection; }
    void setLargeSelection(std::set<std::filesystem::path> selection);
    const std::optional<Notice>& largeNotice() const { return m_largeNotice; }
    void setLargeNotice(std::optional<Notice> notice);
    std::int64_t largeSelectedSize() const;

    void setLargeRoot(const std::filesystem::path& root);
    void scanLargeFiles();
    // Runs on the calling thread: the user waits for the file manager's move anyway.
    void trashSelectedLargeFiles();

signals:
    void diskChanged();
    void junkChanged();
    void scanningJunkChanged();
    void isCleaningJunkChanged();
    void junkSelectionChanged();
    void junkNoticeChanged();
    void nodeRootChanged();
    void nodeFoldersChanged();
    void isScanningNodeChanged();
    void isDeletingNodeChanged();
    void nodeSelectionChanged();
    void nodeNoticeChanged();
    void largeRootChanged();
    void largeMinSizeChanged();
    void largeFilesChanged();
    void isScanningLargeChanged();
    void largeSelectionChanged();
    void largeNoticeChanged();

private:
    void publishJunk(JunkCategory category);
    void remember(const QString& key, const std::filesystem::path& root);

    Services m_services;
    WorkerPools& m_pools;
    std::unique_ptr<QSettings> m_settings;

    DiskInfo m_disk;
    std::map<JunkKind, JunkCategory> m_junk;
    std::set<JunkKind> m_scanningJunk;
    bool m_isCleaningJunk = false;
    std::set<std::string> m_junkSelection;
    std::optional<Notice> m_junkNotice;

    std::filesystem::path m_nodeRoot;
    std::optional<std::vector<NodeModulesFolder>> m_nodeFolders;
    bool m_isScanningNode = false;
    bool m_isDeletingNode = false;
    std::set<std::filesystem::path> m_nodeSelection;
    std::optional<Notice> m_nodeNotice;

    std::filesystem::path m_largeRoot;
    std::int64_t m_largeMinSize = kDefaultLargeMinSize;
    std::optional<std::vector<LargeFile>> m_largeFiles;
    bool m_isScanningLarge = false;
    std::set<std::filesystem::path> m_largeSelection;
    std::optional<Notice> m_largeNotice;
};

} // namespace brisklet
