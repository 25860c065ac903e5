#include "app/StorageModel.h"

#include "app/Background.h"
#include "app/Observable.h"
#include "app/WorkerPools.h"
#include "core/fs/Bytes.h"
#include "core/fs/MountedVolumes.h"
#include "core/fs/Utf8.h"
#include "core/junk/JunkScanner.h"
#include "core/junk/PlatformTexts.h"
#include "core/removal/SystemActions.h"

#include <QSettings>

#include <algorithm>
#include <numeric>
#include <utility>

namespace fs = std::filesystem;

namespace brisklet {

namespace {

const QString kNodeRootKey = QStringLiteral("nodeRoot");
const QString kLargeRootKey = QStringLiteral("largeRoot");

std::unique_ptr<QSettings> openSettings(const QString& file) {
    // Named outright rather than taken from the application's name, which is the desktop id, so the
    // remembered folders stay in brisklet/brisklet.conf under the user's configuration folder.
    if (file.isEmpty()) return std::make_unique<QSettings>(QStringLiteral("brisklet"), QStringLiteral("brisklet"));
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

// A remembered folder. Paths that are not valid UTF-8 are kept as raw bytes so that they come back
// byte for byte; an empty or relative value is not a folder anyone chose and is ignored.
std::optional<fs::path> rememberedRoot(const QSettings& settings, const QString& key) {
    const QVariant value = settings.value(key);
    std::string bytes;
    if (value.typeId() == QMetaType::QByteArray) {
        bytes = value.toByteArray().toStdString();
    } else if (value.typeId() == QMetaType::QString) {
        bytes = value.toString().toStdString();
    }
    if (bytes.empty() || bytes.front() != '/') return std::nullopt;
    return fs::path(bytes);
}

} // namespace

Outcome StorageModel::Services::defaultEmptyTrash(const Locations& locations) {
    return SystemActions::emptyTrash(locations, MountedVolumes::trashCapableMountPoints());
}

StorageModel::StorageModel(Services services, WorkerPools& pools, QObject* parent)
    : QObject(parent), m_services(std::move(services)), m_pools(pools),
      m_settings(openSettings(m_services.settingsFile)) {
    const Locations locations = m_services.locations();
    m_disk = m_services.diskInfo(locations.home);
    m_nodeRoot = rememberedRoot(*m_settings, kNodeRootKey).value_or(locations.home / "Desktop");
    m_largeRoot = rememberedRoot(*m_settings, kLargeRootKey).value_or(locations.home);
}

StorageModel::~StorageModel() = default;

void StorageModel::refreshDisk() {
    assignIfChanged(this, m_disk, m_services.diskInfo(m_services.locations().home), &StorageModel::diskChanged);
}

void StorageModel::remember(const QString& key, const fs::path& root) {
    const std::string& bytes = root.native();
    if (validUtf8(bytes) == bytes) {
        m_settings->setValue(key, QString::fromStdString(bytes));
    } else {
        m_settings->setValue(key, QByteArray::fromStdString(bytes));
    }
    m_settings->sync();
}

// ---- Junk ----

void StorageModel::setJunkNotice(std::optional<Notice> notice) {
    assignIfChanged(this, m_junkNotice, std::move(notice), &StorageModel::junkNoticeChanged);
}

std::int64_t StorageModel::junkTotal() const {
    return std::accumulate(m_junk.begin(), m_junk.end(), std::int64_t{0},
                           [](std::int64_t sum, const auto& entry) { return sum + entry.second.size(); });
}

std::vector<JunkItem> StorageModel::selectedJunk() const {
    std::vector<JunkItem> selected;
    // The map is ordered by kind, which is the order every list shows the kinds in.
    for (const auto& [kind, category] : m_junk) {
        for (const JunkItem& item : category.items) {
            if (m_junkSelection.contains(item.id())) selected.push_back(item);
        }
    }
    return selected;
}

std::int64_t StorageModel::selectedJunkSize() const {
    std::int64_t size = 0;
    for (const auto& [kind, category] : m_junk) {
        for (const JunkItem& item : category.items) {
            if (m_junkSelection.contains(item.id())) size += item.size;
        }
    }
    return size;
}

void StorageModel::scanJunk(const std::set<JunkKind>& kinds) {
    const Locations locations = m_services.locations();
    for (const JunkKind kind : kinds) {
        if (m_scanningJunk.contains(kind)) continue;
        m_scanningJunk.insert(kind);
        emit scanningJunkChanged();
        runThenPublish(
            m_pools.userInitiated(), this, [kind, locations] { return JunkScanner::scan(kind, locations); },
            [this](JunkCategory category) { publishJunk(std::move(category)); });
    }
}

void StorageModel::publishJunk(JunkCategory category) {
    const JunkKind kind = category.kind;
    // Whatever the user chose in this kind is forgotten; the other kinds keep their choices.
    std::set<std::string> selection = m_junkSelection;
    if (const auto previous = m_junk.find(kind); previous != m_junk.end()) {
        for (const JunkItem& item : previous->second.items)
            selection.erase(item.id());
    }
    for (const JunkItem& item : category.items) {
        if (item.recommended) selection.insert(item.id());
    }
    assignIfChanged(this, m_junkSelection, std::move(selection), &StorageModel::junkSelectionChanged);

    if (const auto previous = m_junk.find(kind); previous == m_junk.end() || previous->second != category) {
        m_junk.insert_or_assign(kind, std::move(category));
        emit junkChanged();
    }
    m_scanningJunk.erase(kind);
    emit scanningJunkChanged();
}

CheckState StorageModel::checkState(JunkKind kind) const {
    const auto entry = m_junk.find(kind);
    if (entry == m_junk.end()) return CheckState::off;
    const auto& items = entry->second.items;
    const auto selected = std::count_if(items.begin(), items.end(), [&](const JunkItem& item) {
        return m_junkSelection.contains(item.id());
    });
    if (selected == 0) return CheckState::off;
    return selected == static_cast<std::ptrdiff_t>(items.size()) ? CheckState::on : CheckState::mixed;
}

void StorageModel::toggle(JunkKind kind) {
    const auto entry = m_junk.find(kind);
    if (entry == m_junk.end()) return;
    const bool deselect = checkState(kind) == CheckState::on;
    std::set<std::string> selection = m_junkSelection;
    for (const JunkItem& item : entry->second.items) {
        if (deselect) {
            selection.erase(item.id());
        } else {
            selection.insert(item.id());
        }
    }
    assignIfChanged(this, m_junkSelection, std::move(selection), &StorageModel::junkSelectionChanged);
}

void StorageModel::toggle(const JunkItem& item) {
    if (!m_junkSelection.erase(item.id())) m_junkSelection.insert(item.id());
    emit junkSelectionChanged();
}

void StorageModel::cleanSelectedJunk() {
    const std::vector<JunkItem> items = selectedJunk();
    if (items.empty() || m_isCleaningJunk) return;

    std::set<JunkKind> kinds;
    std::vector<std::pair<fs::path, std::int64_t>> batch;
    for (const auto& [kind, category] : m_junk) {
        for (const JunkItem& item : category.items) {
            if (m_junkSelection.contains(item.id())) kinds.insert(kind);
        }
    }
    for (const JunkItem& item : items)
        batch.emplace_back(item.url, item.size);

    assignIfChanged(this, m_isCleaningJunk, true, &StorageModel::isCleaningJunkChanged);
    const Locations locations = m_services.locations();
    runThenPublish(
        m_pools.userInitiated(), this,
        [batch = std::move(batch), locations] { return Cleaner::deleteItems(batch, locations); },
        [this, kinds, layout = locations.layout](const CleanResult& result) {
            assignIfChanged(this, m_isCleaningJunk, false, &StorageModel::isCleaningJunkChanged);
            setJunkNotice(
                Notice::make(summary(result.freed, static_cast<int>(result.failed.size()), layout), false));
            refreshDisk();
            // The new scans drop what went, from the lists and from the selection.
            scanJunk(kinds);
        });
}

void StorageModel::emptyTrash() {
    std::optional<std::int64_t> before;
    if (const auto trash = m_junk.find(JunkKind::trash);
        trash != m_junk.end() && !trash->second.accessDenied) {
        before = trash->second.size();
    }
    const Locations locations = m_services.locations();
    runThenPublish(
        m_pools.userInitiated(), this,
        [empty = m_services.emptyTrash, locations] { return empty(locations); },
        [this, before](const Outcome& outcome) {
            if (outcome.isDone()) {
                const QString text = before ? QStringLiteral("Emptied the Trash and freed %1.")
                                                  .arg(QString::fromStdString(Bytes::disk(*before)))
                                            : QStringLiteral("Emptied the Trash.");
                setJunkNotice(Notice::make(text, false));
            } else if (outcome.isFailed()) {
                setJunkNotice(Notice::make(QStringLiteral("Couldn't empty the Trash. ") +
                                               QString::fromStdString(outcome.message()),
                                           true));
            }
            refreshDisk();
            scanJunk({JunkKind::trash});
        });
}

QString StorageModel::summary(std::int64_t freed, int failed, JunkLayout layout) {
    QString text = QStringLiteral("Freed ") + QString::fromStdString(Bytes::disk(freed)) + QLatin1Char('.');
    if (failed >= 1) {
        text += QStringLiteral(" %1 item").arg(failed);
        if (failed != 1) text += QLatin1Char('s');
        const std::string_view suffix = platformTexts(layout).partialRemovalSuffix;
        text += QString::fromUtf8(suffix.data(), static_cast<qsizetype>(suffix.size()));
    }
    return text;
}

} // namespace brisklet
