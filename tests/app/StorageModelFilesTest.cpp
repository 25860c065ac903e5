#include "StorageFixture.h"

#include "core/fs/Bytes.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace brisklet {
namespace {

using test::StorageFixture;
using test::waitFor;

// Projects with dependencies: two in the home's Desktop touched 31 and 29 days ago, one touched
// now, and one outside the home folder, where nothing may ever be deleted.
struct Projects : StorageFixture {
    fs::path stale = project("home/Desktop/stale", 31), recent = project("home/Desktop/recent", 29);
    fs::path fresh = project("home/Desktop/fresh", 0), outside = project("elsewhere/app", 0);

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
    bool settled() {
        return waitFor(*model, &StorageModel::isScanningNodeChanged,
                       [&] { return !model->isScanningNode(); });
    }
};

// A root chosen during a search shows the list of the root the search started with; a new root
// otherwise empties the list at once. Deleting keeps what failed listed and reports it.
TEST(StorageModelNodeModules, ListsSelectsAndDeletesFromTheRootTheSearchStartedWith) {
    Projects p;
    StorageModel& m = p.make();
    m.setNodeSelection({p.fresh});
    m.scanNodeModules();
    m.setNodeRoot(p.tree.path("elsewhere"));
    EXPECT_EQ(m.nodeRoot(), p.tree.path("elsewhere"));
    ASSERT_TRUE(p.settled());
    EXPECT_EQ(p.listed(), (std::vector<fs::path>{p.fresh, p.recent, p.stale}));
    EXPECT_TRUE(m.nodeSelection().empty()); // a fresh list starts with nothing selected
    m.setNodeSelection({p.fresh});
    m.selectStaleNodeModules(30);
    EXPECT_EQ(m.nodeSelection(), (std::set<fs::path>{p.stale}));
    EXPECT_GT(m.nodeSelectedSize(), 0);

    // What is still selected no longer counts.
    m.setNodeRoot(p.tree.root());
    EXPECT_FALSE(m.nodeFolders().has_value());
    EXPECT_EQ(m.nodeSelectedSize(), 0);
    ASSERT_TRUE(p.settled());
    ASSERT_EQ(p.listed(), (std::vector<fs::path>{p.outside, p.fresh, p.recent, p.stale}));

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
    EXPECT_EQ(*m.nodeNotice(),
              (Notice{m.nodeNotice()->id,
                      QString::fromStdString("Freed " + Bytes::disk(freed)) +
                          ". 1 item couldn't be fully removed (in use or protected by the system)."
                          " Run npm install in a project to bring its packages back.",
                      false}));
}

// The fixture's mover stands in for the real one (which the cleaner's own tests cover).
TEST(StorageModelLargeFiles, MovingToTheTrashReportsMovedAndFailedAndANewRootClearsTheList) {
    StorageFixture l;
    const fs::path big = l.tree.file("home/Videos/big.mkv", 300'000);
    const fs::path bigger = l.tree.file("home/Videos/bigger.mkv", 400'000);
    StorageModel& m = l.make();
    m.setLargeMinSize(200'000);
    m.scanLargeFiles();
    ASSERT_TRUE(waitFor(m, &StorageModel::isScanningLargeChanged, [&] { return !m.isScanningLarge(); }));
    ASSERT_EQ(m.largeFiles()->size(), 2u);
    const std::int64_t total = m.largeSelectedSize() + (*m.largeFiles())[0].size + (*m.largeFiles())[1].size;
    const QString moved =
        "Moved %1 (%2) to the Trash. Empty the Trash to get the space back. 1 couldn't be moved.";

    m.trashSelectedLargeFiles(); // nothing selected: nothing happens
    EXPECT_FALSE(m.largeNotice().has_value());
    m.setLargeSelection({big, bigger});
    fs::remove(bigger); // gone before the move: it cannot be moved
    m.trashSelectedLargeFiles();
    EXPECT_EQ(*m.largeNotice(),
              (Notice{m.largeNotice()->id, moved.arg("1 item", Bytes::disk(total).c_str()), false}));
    ASSERT_EQ(m.largeFiles()->size(), 1u);
    EXPECT_EQ(m.largeFiles()->front().url, bigger);
    EXPECT_TRUE(m.largeSelection().empty());
    ASSERT_TRUE(l.junkSettled()); // the Trash is measured again
    EXPECT_EQ(m.junk().at(JunkKind::trash).items.size(), 1u);

    // Nothing moved is an error, and the entry stays listed.
    m.setLargeSelection({bigger});
    const std::int64_t left = m.largeSelectedSize();
    m.trashSelectedLargeFiles();
    EXPECT_EQ(*m.largeNotice(),
              (Notice{m.largeNotice()->id, moved.arg("0 items", Bytes::disk(left).c_str()), true}));
    EXPECT_EQ(m.largeFiles()->size(), 1u);

    m.setLargeSelection({bigger});
    m.setLargeRoot(l.tree.dir("empty"));
    EXPECT_FALSE(m.largeFiles().has_value());
    EXPECT_TRUE(m.isScanningLarge());
    EXPECT_EQ(m.largeSelectedSize(), 0);
    ASSERT_TRUE(waitFor(m, &StorageModel::isScanningLargeChanged, [&] { return !m.isScanningLarge(); }));
    EXPECT_TRUE(m.largeFiles()->empty());
}

} // namespace
} // namespace brisklet
