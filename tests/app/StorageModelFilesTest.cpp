#include "StorageFixture.h"

#include "core/fs/Bytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace fs = std::filesystem;

namespace brisklet {
namespace {

using test::StorageFixture;
using test::waitFor;

// Projects with dependencies: two in the home's Desktop touched 31 and 29 days ago, one touched
// now, and one outside the home folder, where nothing may ever be deleted.
struct Projects : StorageFixture {
    fs::path stale = project("home/Desktop/stale", 31);
    fs::path recent = project("home/Desktop/recent", 29);
    fs::path fresh = project("home/Desktop/fresh", 0);
    fs::path outside = project("elsewhere/app", 0);

    fs::path project(const std::string& folder, int daysAgo) {
        tree.file(folder + "/node_modules/lib/index.js", 60'000);
        const fs::path manifest = tree.text(folder + "/package.json", "{}");
        fs::last_write_time(manifest, fs::file_time_type::clock::now() - std::chrono::hours(24 * daysAgo));
        return tree.path(folder + "/node_modules");
    }
    std::vector<fs::path> listed() const {
        std::vector<fs::path> urls;
        for (const NodeModulesFolder& folder : model->nodeFolders().value())
            urls.push_back(folder.url);
        std::sort(urls.begin(), urls.end());
        return urls;
    }
    void scan(StorageModel& m) {
        m.scanNodeModules();
        ASSERT_TRUE(waitFor(m, &StorageModel::isScanningNodeChanged, [&] { return !m.isScanningNode(); }));
    }
};

TEST(StorageModelNodeModules, StaleSelectionReplacesTheOldOneAndCountsOnlyListedFolders) {
    Projects p;
    StorageModel& m = p.make();
    m.setNodeSelection({p.fresh});
    p.scan(m);
    EXPECT_EQ(p.listed(), (std::vector<fs::path>{p.fresh, p.recent, p.stale}));
    EXPECT_TRUE(m.nodeSelection().empty()); // a fresh list starts with nothing selected

    m.setNodeSelection({p.fresh});
    m.selectStaleNodeModules(30);
    EXPECT_EQ(m.nodeSelection(), (std::set<fs::path>{p.stale}));
    EXPECT_GT(m.nodeSelectedSize(), 0);

    // A new root empties the list at once; what is still selected no longer counts.
    m.setNodeRoot(p.tree.path("elsewhere"));
    EXPECT_FALSE(m.nodeFolders().has_value());
    EXPECT_EQ(m.nodeSelectedSize(), 0);
    ASSERT_TRUE(waitFor(m, &StorageModel::isScanningNodeChanged, [&] { return !m.isScanningNode(); }));
    EXPECT_EQ(p.listed(), (std::vector<fs::path>{p.outside}));
}

TEST(StorageModelNodeModules, ARootChosenDuringASearchShowsTheListOfTheRootItStartedWith) {
    Projects p;
    StorageModel& m = p.make();
    m.scanNodeModules();
    m.setNodeRoot(p.tree.path("elsewhere"));
    EXPECT_EQ(m.nodeRoot(), p.tree.path("elsewhere"));
    ASSERT_TRUE(waitFor(m, &StorageModel::isScanningNodeChanged, [&] { return !m.isScanningNode(); }));
    EXPECT_EQ(p.listed(), (std::vector<fs::path>{p.fresh, p.recent, p.stale}));
}

TEST(StorageModelNodeModules, DeletionKeepsWhatFailedListedAndReportsIt) {
    Projects p;
    StorageModel& m = p.make();
    m.setNodeRoot(p.tree.root());
    ASSERT_TRUE(waitFor(m, &StorageModel::isScanningNodeChanged, [&] { return !m.isScanningNode(); }));
    ASSERT_EQ(p.listed().size(), 4u);

    m.setNodeSelection({p.stale, p.recent, p.outside, "/not/listed/node_modules"});
    std::int64_t freed = 0;
    for (const NodeModulesFolder& folder : *m.nodeFolders())
        if (folder.url == p.stale || folder.url == p.recent) freed += folder.size;
    QSignalSpy busy(&m, &StorageModel::isDeletingNodeChanged);
    m.deleteSelectedNodeModules();
    m.deleteSelectedNodeModules(); // ignored while the first one runs
    // Ticking another folder meanwhile must not make it vanish from the list.
    m.setNodeSelection({p.stale, p.recent, p.outside, p.fresh});
    ASSERT_TRUE(waitFor(m, &StorageModel::isDeletingNodeChanged, [&] { return !m.isDeletingNode(); }));

    EXPECT_EQ(busy.count(), 2);
    EXPECT_EQ(p.listed(), (std::vector<fs::path>{p.outside, p.fresh}));
    EXPECT_TRUE(m.nodeSelection().empty());
    EXPECT_TRUE(fs::exists(p.outside) && fs::exists(p.fresh));
    EXPECT_FALSE(fs::exists(p.stale) || fs::exists(p.recent));
    EXPECT_EQ(m.nodeNotice()->text,
              QString::fromStdString("Freed " + Bytes::disk(freed) +
                                     ". 1 item couldn't be fully removed (in use or protected by the system)."
                                     " Run npm install in a project to bring its packages back."));
    EXPECT_FALSE(m.nodeNotice()->isError);
}

// The variables Qt's move to the Trash reads, pointed at the fixture home until destroyed.
struct FixtureEnvironment {
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
    explicit FixtureEnvironment(const fs::path& home) {
        set("HOME", home.native());
        set("XDG_DATA_HOME", (home / ".local/share").native());
    }
    ~FixtureEnvironment() {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it)
            it->second ? ::setenv(it->first, it->second->c_str(), 1) : ::unsetenv(it->first);
    }
    void set(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name, value.c_str(), 1);
    }
};

struct LargeFiles : StorageFixture {
    fs::path big = tree.file("home/Videos/big.mkv", 300'000);
    fs::path bigger = tree.file("home/Videos/bigger.mkv", 400'000);

    void scan(StorageModel& m) {
        m.setLargeMinSize(200'000);
        m.scanLargeFiles();
        ASSERT_TRUE(waitFor(m, &StorageModel::isScanningLargeChanged, [&] { return !m.isScanningLarge(); }));
        ASSERT_EQ(m.largeFiles()->size(), 2u);
    }
};

TEST(StorageModelLargeFiles, MovingToTheTrashReportsMovedAndFailedAndRemeasuresTheTrash) {
    LargeFiles l;
    FixtureEnvironment environment(l.home);
    l.services.moveToTrash = &Cleaner::moveToTrash;
    StorageModel& m = l.make();
    l.scan(m);
    const std::int64_t total = m.largeSelectedSize() + (*m.largeFiles())[0].size + (*m.largeFiles())[1].size;

    m.trashSelectedLargeFiles(); // nothing selected: nothing happens
    EXPECT_FALSE(m.largeNotice().has_value());

    m.setLargeSelection({l.big, l.bigger});
    fs::remove(l.bigger); // gone before the move: it cannot be moved
    m.trashSelectedLargeFiles();
    EXPECT_EQ(m.largeNotice()->text,
              QString::fromStdString(
                  "Moved 1 item (" + Bytes::disk(total) +
                  ") to the Trash. Empty the Trash to get the space back. 1 couldn't be moved."));
    EXPECT_FALSE(m.largeNotice()->isError);
    ASSERT_EQ(m.largeFiles()->size(), 1u);
    EXPECT_EQ(m.largeFiles()->front().url, l.bigger);
    EXPECT_TRUE(m.largeSelection().empty());
    EXPECT_TRUE(fs::exists(l.home / ".local/share/Trash/files/big.mkv"));
    ASSERT_TRUE(waitFor(m, &StorageModel::scanningJunkChanged, [&] { return m.scanningJunk().empty(); }));
    EXPECT_EQ(m.junk().at(JunkKind::trash).items.size(), 1u);
}

TEST(StorageModelLargeFiles, NothingMovedIsAnErrorAndANewRootClearsTheListAtOnce) {
    LargeFiles l;
    StorageModel& m = l.make(); // the fixture's mover refuses everything
    l.scan(m);
    const std::int64_t total = m.largeSelectedSize() + (*m.largeFiles())[0].size + (*m.largeFiles())[1].size;
    m.setLargeSelection({l.big, l.bigger});
    m.trashSelectedLargeFiles();
    EXPECT_EQ(m.largeNotice()->text,
              QString::fromStdString(
                  "Moved 0 items (" + Bytes::disk(total) +
                  ") to the Trash. Empty the Trash to get the space back. 2 couldn't be moved."));
    EXPECT_TRUE(m.largeNotice()->isError);
    EXPECT_EQ(m.largeFiles()->size(), 2u);

    m.setLargeSelection({l.big});
    m.setLargeRoot(l.tree.dir("empty"));
    EXPECT_FALSE(m.largeFiles().has_value());
    EXPECT_TRUE(m.isScanningLarge());
    EXPECT_EQ(m.largeSelectedSize(), 0);
    ASSERT_TRUE(waitFor(m, &StorageModel::isScanningLargeChanged, [&] { return !m.isScanningLarge(); }));
    EXPECT_TRUE(m.largeFiles()->empty());
}

} // namespace
} // namespace brisklet
