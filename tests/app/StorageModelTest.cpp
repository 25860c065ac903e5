#include "StorageFixture.h"

#include "core/fs/Bytes.h"
#include "core/removal/SystemActions.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <deque>

namespace fs = std::filesystem;

namespace brisklet {
namespace {

using test::StorageFixture;
using test::waitFor;

// A home with something to find in three kinds, each kind with a preselected and (except the
// Trash) a left-alone item.
struct JunkHome : StorageFixture {
    fs::path someCache = tree.dir("home/.cache/someapp");
    fs::path fontCache = tree.dir("home/.cache/fontconfig");
    fs::path npm = tree.dir("home/.npm/_cacache");
    fs::path gradle = tree.dir("home/.gradle/caches");
    fs::path trashed = tree.path("home/.local/share/Trash/files/old.txt");

    JunkHome() {
        tree.file("home/.cache/someapp/data", 120'000);
        tree.file("home/.cache/fontconfig/data", 90'000);
        tree.file("home/.npm/_cacache/index", 200'000);
        tree.file("home/.gradle/caches/jar", 70'000);
        tree.file("home/.local/share/Trash/files/old.txt", 80'000);
        tree.text("home/.local/share/Trash/info/old.txt.trashinfo", "[Trash Info]\nPath=/x/old.txt\n");
    }

    void scanAll(StorageModel& m) {
        m.scanJunk({allJunkKinds.begin(), allJunkKinds.end()});
        ASSERT_TRUE(waitFor(m, &StorageModel::scanningJunkChanged, [&] { return m.scanningJunk().empty(); }));
    }
    const JunkItem& item(StorageModel& m, JunkKind kind, const fs::path& url) {
        for (const JunkItem& i : m.junk().at(kind).items)
            if (i.url == url) return i;
        throw std::runtime_error("not listed: " + url.native());
    }
};

TEST(StorageModelSetUp, StartsUnscannedWithTheRememberedOrDefaultRoots) {
    StorageFixture f;
    {
        QSettings settings(f.services.settingsFile, QSettings::IniFormat);
        settings.setValue("nodeRoot", "/srv/projects");
        settings.setValue("largeRoot", "relative/folder"); // not a folder anyone chose
    }
    StorageModel& m = f.make();
    EXPECT_EQ(m.nodeRoot(), "/srv/projects");
    EXPECT_EQ(m.largeRoot(), f.home);
    EXPECT_EQ(m.largeMinSize(), 100'000'000);
    EXPECT_GT(m.disk().total, 0);
    EXPECT_TRUE(m.junk().empty());
    EXPECT_FALSE(m.nodeFolders() || m.largeFiles() || m.isScanningNode() || m.isScanningLarge());

    // A root whose name is not valid UTF-8 comes back byte for byte after a restart.
    const fs::path odd = f.tree.dir("caf\xE9");
    m.setLargeRoot(odd);
    f.model.reset();
    EXPECT_EQ(f.make().largeRoot(), odd);
    EXPECT_EQ(f.model->nodeRoot(), "/srv/projects");

    StorageFixture fresh;
    EXPECT_EQ(fresh.make().nodeRoot(), fresh.home / "Desktop");
}

TEST(StorageModelJunk, FiveScansAtOnceLandWithTheirRecommendedItemsSelected) {
    JunkHome h;
    StorageModel& m = h.make();
    QSignalSpy landed(&m, &StorageModel::junkChanged);
    m.scanJunk({allJunkKinds.begin(), allJunkKinds.end()});
    EXPECT_EQ(m.scanningJunk().size(), 5u);
    m.scanJunk({JunkKind::trash}); // already running: left alone
    ASSERT_TRUE(waitFor(m, &StorageModel::scanningJunkChanged, [&] { return m.scanningJunk().empty(); }));

    EXPECT_EQ(m.junk().size(), 5u);
    EXPECT_EQ(landed.count(), 5); // one publication per kind, the second Trash request started nothing
    EXPECT_EQ(m.junkSelection(), (std::set<std::string>{h.someCache, h.npm, h.trashed}));
    std::int64_t total = 0;
    for (const auto& [kind, category] : m.junk())
        total += category.size();
    EXPECT_EQ(m.junkTotal(), total);
    EXPECT_GT(m.junk().at(JunkKind::trash).size(), 0);
    EXPECT_EQ(m.selectedJunkSize(), h.item(m, JunkKind::appCaches, h.someCache).size +
                                        h.item(m, JunkKind::devCaches, h.npm).size +
                                        h.item(m, JunkKind::trash, h.trashed).size);
    // Kind order first, then each kind's own order.
    std::vector<fs::path> order;
    for (const JunkItem& item : m.selectedJunk())
        order.push_back(item.url);
    EXPECT_EQ(order, (std::vector<fs::path>{h.someCache, h.npm, h.trashed}));
}

TEST(StorageModelJunk, CheckBoxesCycleAndARescanResetsOnlyItsOwnKind) {
    JunkHome h;
    StorageModel& m = h.make();
    h.scanAll(m);

    EXPECT_EQ(m.checkState(JunkKind::appCaches), CheckState::mixed);
    m.toggle(JunkKind::appCaches);
    EXPECT_EQ(m.checkState(JunkKind::appCaches), CheckState::on);
    m.toggle(JunkKind::appCaches);
    EXPECT_EQ(m.checkState(JunkKind::appCaches), CheckState::off);
    m.toggle(JunkKind::appCaches);

    // A kind with nothing in it stays off, and toggling it changes nothing.
    QSignalSpy selectionChanges(&m, &StorageModel::junkSelectionChanged);
    EXPECT_EQ(m.checkState(JunkKind::xcode), CheckState::off);
    m.toggle(JunkKind::xcode);
    EXPECT_EQ(selectionChanges.count(), 0);

    m.toggle(h.item(m, JunkKind::devCaches, h.npm));
    m.toggle(h.item(m, JunkKind::devCaches, h.gradle));
    m.scanJunk({JunkKind::devCaches});
    EXPECT_TRUE(m.junk().contains(JunkKind::devCaches)); // the old result stays while rescanning
    ASSERT_TRUE(waitFor(m, &StorageModel::scanningJunkChanged, [&] { return m.scanningJunk().empty(); }));
    EXPECT_EQ(m.checkState(JunkKind::appCaches), CheckState::on);
    EXPECT_TRUE(m.junkSelection().contains(h.npm));
    EXPECT_FALSE(m.junkSelection().contains(h.gradle));
}

TEST(StorageModelJunk, CleaningRemovesOnlyTheSelectionOnceAndRescansTheKindsItTouched) {
    JunkHome h;
    StorageModel& m = h.make();
    h.scanAll(m);
    for (const JunkKind kind : allJunkKinds)
        while (m.checkState(kind) != CheckState::off)
            m.toggle(kind);

    QSignalSpy notices(&m, &StorageModel::junkNoticeChanged);
    QSignalSpy busy(&m, &StorageModel::isCleaningJunkChanged);
    m.cleanSelectedJunk();
    EXPECT_EQ(busy.count(), 0);

    m.toggle(h.item(m, JunkKind::appCaches, h.someCache));
    m.toggle(h.item(m, JunkKind::devCaches, h.npm));
    const std::int64_t selected = m.selectedJunkSize();
    m.cleanSelectedJunk();
    m.cleanSelectedJunk(); // ignored while the first one runs
    EXPECT_TRUE(m.isCleaningJunk());
    ASSERT_TRUE(waitFor(m, &StorageModel::scanningJunkChanged,
                        [&] { return !m.isCleaningJunk() && m.scanningJunk().empty(); }));

    EXPECT_EQ(busy.count(), 2);
    ASSERT_EQ(notices.count(), 1);
    EXPECT_EQ(m.junkNotice()->text, QString::fromStdString("Freed " + Bytes::disk(selected) + "."));
    EXPECT_FALSE(m.junkNotice()->isError);
    EXPECT_FALSE(fs::exists(h.someCache) || fs::exists(h.npm));
    EXPECT_TRUE(fs::exists(h.fontCache) && fs::exists(h.gradle) && fs::exists(h.trashed));
    EXPECT_EQ(m.junk().at(JunkKind::appCaches).items.size(), 1u);
    EXPECT_TRUE(m.junkSelection().empty());
}

TEST(StorageModelJunk, SummaryWordsTheFreedBytesAndTheFailures) {
    const std::string partial = " couldn't be fully removed (in use or protected by the system).";
    EXPECT_EQ(StorageModel::summary(0, 0, JunkLayout::freedesktop), "Freed Zero KB.");
    EXPECT_EQ(StorageModel::summary(1'500'000, 1, JunkLayout::freedesktop),
              QString::fromStdString("Freed 1.5 MB. 1 item" + partial));
    EXPECT_EQ(StorageModel::summary(2'000'000'000, 12'345, JunkLayout::freedesktop),
              QString::fromStdString("Freed 2 GB. 12345 items" + partial));
    EXPECT_EQ(StorageModel::summary(1, 2, JunkLayout::macOS),
              "Freed 1 byte. 2 items couldn't be fully removed (in use or protected by macOS).");
}

TEST(StorageModelTrash, EmptyingWordsEachOutcomeAndAlwaysRescansTheTrash) {
    JunkHome h;
    auto outcomes = std::make_shared<std::deque<Outcome>>(std::deque<Outcome>{
        Outcome::done(), Outcome::done(), Outcome::failed("2 items couldn't be removed. Permission denied."),
        Outcome::cancelled()});
    h.services.emptyTrash = [outcomes](const Locations&) {
        Outcome next = outcomes->front();
        outcomes->pop_front();
        return next;
    };
    StorageModel& m = h.make();
    const auto emptyAndWait = [&] {
        QSignalSpy scanning(&m, &StorageModel::scanningJunkChanged); // started, then ended
        m.emptyTrash();
        EXPECT_TRUE(waitFor(m, &StorageModel::scanningJunkChanged, [&] { return scanning.count() >= 2; }));
    };

    emptyAndWait(); // the Trash was never measured
    EXPECT_EQ(m.junkNotice()->text, "Emptied the Trash.");
    const std::int64_t measured = m.junk().at(JunkKind::trash).size();
    emptyAndWait();
    EXPECT_EQ(m.junkNotice()->text,
              QString::fromStdString("Emptied the Trash and freed " + Bytes::disk(measured) + "."));
    emptyAndWait();
    EXPECT_EQ(m.junkNotice()->text,
              "Couldn't empty the Trash. 2 items couldn't be removed. Permission denied.");
    EXPECT_TRUE(m.junkNotice()->isError);
    const Notice kept = *m.junkNotice();
    emptyAndWait();
    EXPECT_EQ(m.junkNotice(), kept);

    // An unreadable Trash was never measured either.
    fs::remove_all(h.home / ".local/share/Trash/files");
    h.tree.text("home/.local/share/Trash/files", "a file where the folder should be");
    h.services.emptyTrash = [](const Locations&) { return Outcome::done(); };
    StorageModel& denied = h.make();
    denied.scanJunk({JunkKind::trash});
    ASSERT_TRUE(
        waitFor(denied, &StorageModel::scanningJunkChanged, [&] { return denied.scanningJunk().empty(); }));
    ASSERT_TRUE(denied.junk().at(JunkKind::trash).accessDenied);
    denied.emptyTrash();
    ASSERT_TRUE(
        waitFor(denied, &StorageModel::junkNoticeChanged, [&] { return denied.junkNotice().has_value(); }));
    EXPECT_EQ(denied.junkNotice()->text, "Emptied the Trash.");
}

TEST(StorageModelTrash, TheRealEmptierClearsTheFixtureTrash) {
    JunkHome h;
    // The home Trash of the fixture only; no mounted volume is looked at.
    h.services.emptyTrash = [](const Locations& l) { return SystemActions::emptyTrash(l, {}); };
    StorageModel& m = h.make();
    m.emptyTrash();
    ASSERT_TRUE(waitFor(m, &StorageModel::scanningJunkChanged,
                        [&] { return m.junk().contains(JunkKind::trash) && m.scanningJunk().empty(); }));
    EXPECT_EQ(m.junkNotice()->text, "Emptied the Trash.");
    EXPECT_FALSE(fs::exists(h.trashed));
    EXPECT_TRUE(m.junk().at(JunkKind::trash).items.empty());
}

TEST(StorageModelNotices, AnEqualNoticeChangesNothingAndAFreshOneAlwaysDoes) {
    StorageFixture f;
    StorageModel& m = f.make();
    QSignalSpy changes(&m, &StorageModel::junkNoticeChanged);
    const Notice first = Notice::make("Emptied the Trash.", false);
    m.setJunkNotice(first);
    m.setJunkNotice(first);
    m.setJunkNotice(Notice::make("Emptied the Trash.", false));
    m.setJunkNotice(std::nullopt);
    m.setJunkNotice(std::nullopt);
    EXPECT_EQ(changes.count(), 3);
}

TEST(StorageModelLifetime, AModelDestroyedWithWorkInFlightIsNeverWrittenTo) {
    JunkHome h;
    h.services.emptyTrash = [](const Locations& l) { return SystemActions::emptyTrash(l, {}); };
    StorageModel& m = h.make();
    m.scanJunk({allJunkKinds.begin(), allJunkKinds.end()});
    m.scanNodeModules();
    m.scanLargeFiles();
    m.emptyTrash();
    h.model.reset();
    // The tasks finish on their pools and their results find no one to publish to.
    h.pools.userInitiated().waitForDone();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
} // namespace brisklet
