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

// Three kinds with something to find, each with a preselected and (except the Trash) a left-alone item.
struct JunkHome : StorageFixture {
    fs::path someCache = tree.path("home/.cache/someapp"), fontCache = tree.path("home/.cache/fontconfig");
    fs::path npm = tree.path("home/.npm/_cacache"), gradle = tree.path("home/.gradle/caches");
    fs::path trashed = tree.path("home/.local/share/Trash/files/old.txt");

    JunkHome() {
        tree.build(R"(
            home/{.cache/someapp,.cache/fontconfig,.npm/_cacache,.gradle/caches}/data 100000
            home/.local/share/Trash/files/old.txt 80000
            home/.local/share/Trash/info/old.txt.trashinfo = [Trash Info]\nPath=/x/old.txt\n)");
    }

    const JunkItem& item(JunkKind kind, const fs::path& url) {
        for (const JunkItem& i : model->junk().at(kind).items)
            if (i.url == url) return i;
        throw std::runtime_error("not listed: " + url.native());
    }
};

TEST(StorageModelSetUp, StartsUnscannedWithTheRememberedOrDefaultRootsAndNoticesOnlyChange) {
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

    // An equal notice changes nothing and a fresh one always does.
    QSignalSpy changes(fresh.model.get(), &StorageModel::junkNoticeChanged);
    const std::optional first = Notice::make("Emptied the Trash.", false), none = std::optional<Notice>();
    for (const auto& notice : {first, first, std::optional(Notice::make(first->text, false)), none, none})
        fresh.model->setJunkNotice(notice);
    EXPECT_EQ(changes.count(), 3);
}

// Then cleaning removes only what is selected, once at a time, and rescans the kinds it touched.
TEST(StorageModelJunk, ScansLandPreselectedRescansResetTheirKindAndCleaningTakesTheSelection) {
    JunkHome h;
    StorageModel& m = h.make();
    QSignalSpy landed(&m, &StorageModel::junkChanged), busy(&m, &StorageModel::isCleaningJunkChanged);
    m.cleanSelectedJunk(); // nothing selected
    EXPECT_EQ(busy.count(), 0);
    m.scanJunk({allJunkKinds.begin(), allJunkKinds.end()});
    EXPECT_EQ(m.scanningJunk().size(), 5u);
    m.scanJunk({JunkKind::trash}); // already running: left alone
    ASSERT_TRUE(h.junkSettled());
    EXPECT_EQ(landed.count(), 5); // one publication per kind
    std::int64_t total = 0;
    for (const auto& [kind, category] : m.junk())
        total += category.size();
    EXPECT_EQ(m.junkTotal(), total);
    EXPECT_EQ(m.selectedJunkSize(), h.item(JunkKind::appCaches, h.someCache).size +
                                        h.item(JunkKind::devCaches, h.npm).size +
                                        h.item(JunkKind::trash, h.trashed).size);
    // Kind order first, then each kind's own order.
    std::vector<fs::path> order;
    for (const JunkItem& item : m.selectedJunk())
        order.push_back(item.url);
    EXPECT_EQ(order, (std::vector<fs::path>{h.someCache, h.npm, h.trashed}));

    // A kind's box cycles mixed, on, off; an empty kind stays off and toggling it changes nothing.
    for (const CheckState state : {CheckState::mixed, CheckState::on, CheckState::off}) {
        EXPECT_EQ(m.checkState(JunkKind::appCaches), state);
        m.toggle(JunkKind::appCaches);
    }
    QSignalSpy selectionChanges(&m, &StorageModel::junkSelectionChanged);
    EXPECT_EQ(m.checkState(JunkKind::xcode), CheckState::off);
    m.toggle(JunkKind::xcode);
    EXPECT_EQ(selectionChanges.count(), 0);

    m.toggle(h.item(JunkKind::devCaches, h.npm));
    m.toggle(h.item(JunkKind::devCaches, h.gradle));
    m.scanJunk({JunkKind::devCaches});
    EXPECT_TRUE(m.junk().contains(JunkKind::devCaches)); // the old result stays while rescanning
    ASSERT_TRUE(h.junkSettled());
    EXPECT_EQ(m.checkState(JunkKind::appCaches), CheckState::on);
    EXPECT_TRUE(m.junkSelection().contains(h.npm));
    EXPECT_FALSE(m.junkSelection().contains(h.gradle));

    m.toggle(h.item(JunkKind::appCaches, h.fontCache));
    m.toggle(h.item(JunkKind::trash, h.trashed));
    const std::int64_t selected = m.selectedJunkSize();
    QSignalSpy notices(&m, &StorageModel::junkNoticeChanged);
    m.cleanSelectedJunk();
    m.cleanSelectedJunk(); // ignored while the first one runs
    EXPECT_TRUE(m.isCleaningJunk());
    ASSERT_TRUE(h.junkSettled());
    EXPECT_EQ(busy.count(), 2);
    ASSERT_EQ(notices.count(), 1);
    const QString freed = QString::fromStdString("Freed " + Bytes::disk(selected) + ".");
    EXPECT_EQ(*m.junkNotice(), (Notice{m.junkNotice()->id, freed, false}));
    EXPECT_FALSE(fs::exists(h.someCache) || fs::exists(h.npm));
    EXPECT_TRUE(fs::exists(h.fontCache) && fs::exists(h.gradle) && fs::exists(h.trashed));
    EXPECT_EQ(m.junk().at(JunkKind::appCaches).items.size(), 1u);
    EXPECT_TRUE(m.junkSelection().empty());
}

// No failures is the cleaning test's; here the failures, and the system named for the layout.
TEST(StorageModelJunk, SummaryWordsTheFreedBytesAndTheFailures) {
    EXPECT_EQ(StorageModel::summary(1, 2, JunkLayout::macOS),
              "Freed 1 byte. 2 items couldn't be fully removed (in use or protected by macOS).");
}

TEST(StorageModelTrash, EmptyingWordsEachOutcomeAndAlwaysRescansTheTrash) {
    JunkHome h;
    auto outcomes = std::make_shared<std::deque<Outcome>>(std::deque<Outcome>{
        Outcome::done(), Outcome::done(), Outcome::failed("2 items couldn't be removed. Permission denied."),
        Outcome::cancelled(), Outcome::done()});
    h.services.emptyTrash = [outcomes, home = h.home](const Locations& l) {
        EXPECT_EQ(l.home, home);
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
    EXPECT_EQ(*m.junkNotice(),
              (Notice{m.junkNotice()->id,
                      "Couldn't empty the Trash. 2 items couldn't be removed. Permission denied.", true}));
    const Notice kept = *m.junkNotice();
    emptyAndWait();
    EXPECT_EQ(m.junkNotice(), kept);

    // An unreadable Trash was never measured either.
    fs::remove_all(h.home / ".local/share/Trash/files");
    h.tree.text("home/.local/share/Trash/files", "a file where the folder should be");
    m.scanJunk({JunkKind::trash});
    ASSERT_TRUE(h.junkSettled() && m.junk().at(JunkKind::trash).accessDenied);
    emptyAndWait();
    EXPECT_EQ(m.junkNotice()->text, "Emptied the Trash.");
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
