#include "core/finders/LargeFileFinder.h"
#include "core/finders/NodeModulesFinder.h"
#include "core/fs/FileSize.h"
#include "core/proc/ProcessReader.h"
#include "support/Entries.h"
#include "support/FtsOracle.h"

#include "Unprivileged.h"

#include <algorithm>
#include <string>
#include <vector>

namespace brisklet {
namespace {

namespace fs = std::filesystem;

using test::ftsOnDisk;
using test::TempTree;
using Unprivileged = test::Unprivileged;

// A folder `locked` whose data the walk may or may not reach. Unsearchable (0 and 0444): fts reports
// each name inside as unstatable and counts none, and neither does a walk that stats relative to the
// folder. Unreadable (0 and 0111): no names to count, though one given by name is reachable.
TEST_F(Unprivileged, FileSizePassesOverAFolderThatCannotBeReadOrSearched) {
    for (const mode_t mode : {0000, 0444, 0111}) {
        SCOPED_TRACE(mode);
        TempTree tree;
        tree.build("a 20000\nsub/b 30000\nlocked/hidden 400000\nlocked/inner/deeper "
                   "500000\nlocked/inner/a-again => @a");
        const std::int64_t reachable = test::sumAllocated(
            {tree.path("a"), tree.path("sub/b"), tree.symlink("sub/link", std::string(100, 'l'))});
        ASSERT_EQ(::chmod(tree.path("locked").c_str(), mode), 0);
        EXPECT_EQ(FileSize::onDisk(tree.root()), reachable);
        EXPECT_EQ(FileSize::onDisk(tree.root()), ftsOnDisk(tree.root()));
        EXPECT_EQ(FileSize::onDisk(tree.path("locked")), ftsOnDisk(tree.path("locked")));
        const fs::path hidden = tree.path("locked/hidden");
        EXPECT_EQ(FileSize::onDisk(hidden), mode == 0111 ? TempTree::allocated(hidden) : 0);
    }
}

TEST_F(Unprivileged, FileSizeOfAnUnreadableRootMeasuresZeroButUnreadableFilesCount) {
    const fs::path secret = tree.file("secret", 60000);
    chmod("secret", 0);
    // Blocks come from the entry's status, which needs no right to read the file.
    EXPECT_EQ(FileSize::onDisk(tree.root()), TempTree::allocated(secret));
    chmod("", 0);
    EXPECT_EQ(FileSize::onDisk(tree.root()), 0);
    EXPECT_EQ(FileSize::onDisk(tree.root()), ftsOnDisk(tree.root()));
}

struct FinderPermissionTest : test::Unprivileged {
    // Projects with a package.json, a node_modules folder and a large file of their own.
    void projects(const std::string& folders) {
        tree.build("{" + folders + "}/package.json = {}\n{" + folders +
                   "}/node_modules/dep/index.js 50000\n{" + folders + "}/big 50000");
    }

    // What both finders list from `root`, sorted and relative to the tree.
    std::vector<std::string> found(const std::string& root = "") {
        const std::filesystem::path from = root.empty() ? tree.root() : tree.path(root);
        std::vector<std::string> urls;
        for (const NodeModulesFolder& f : NodeModulesFinder::find(from, tree.path("home")))
            urls.push_back(f.url.lexically_relative(tree.root()).string());
        for (const LargeFile& f : LargeFileFinder::find(from, 40000, 300, tree.path("home")))
            urls.push_back(f.url.lexically_relative(tree.root()).string());
        std::sort(urls.begin(), urls.end());
        return urls;
    }
};

// A folder we may not read, one we may list but not enter, one we may enter but not list: each is
// passed over, and the rest of the tree is still searched; as the root, each gives nothing.
TEST_F(FinderPermissionTest, UnreadableFoldersArePassedOver) {
    projects("no-access/app,list-only/app,enter-only/app,open/app");
    chmod("no-access", 0);
    chmod("list-only", 0444);
    chmod("enter-only", 0111);
    EXPECT_EQ(found(), (std::vector<std::string>{"open/app/big", "open/app/node_modules"}));
    for (const char* locked : {"no-access", "list-only", "enter-only"})
        EXPECT_EQ(found(locked), std::vector<std::string>{}) << locked;
}

// The project can be searched but its dependency folder cannot be measured: nothing measurable,
// nothing to win back, so it is not offered. A project that cannot be listed has no date.
TEST_F(FinderPermissionTest, NodeModulesThatCannotBeMeasuredIsDroppedAndAnUnlistedProjectUndated) {
    projects("sealed,fine");
    chmod("sealed/node_modules", 0);
    EXPECT_EQ(found(), (std::vector<std::string>{"fine/big", "fine/node_modules", "sealed/big"}));
    chmod("fine", 0311); // may be entered (so node_modules is reached) but not listed
    EXPECT_EQ(NodeModulesFinder::lastTouched(tree.path("fine")), std::nullopt);
    chmod("fine", 0755);
    EXPECT_NE(NodeModulesFinder::lastTouched(tree.path("fine")), std::nullopt);
}

TEST_F(Unprivileged, ProcessReaderLeavesOutUnreadableProcessesAndKeepsTheRest) {
    for (const std::string pid : {"10", "11", "12", "13"})
        tree.build("proc/" + pid + "/stat = " + pid + " (p" + pid + ") S 1 1 1 0 -1\\n\nproc/" + pid +
                   "/status = Name:\\tp\\nRssAnon:\\t  64 kB\\nVmSwap:\\t 0 kB\\n\nproc/" + pid +
                   "/cwd -> @");
    for (const char* pid : {"10", "13"})
        tree.text(std::string("proc/") + pid + "/cmdline", std::string("p\0-x\0", 5));
    const auto proc = tree.path("proc");
    chmod("proc/11/status", 0);
    chmod("proc/12/stat", 0);
    chmod("proc/13", 0);
    // An unreadable command line leaves the process itself readable.
    ASSERT_EQ(ProcessReader::arguments(10, proc), (std::vector<std::string>{"p", "-x"}));
    chmod("proc/10/cmdline", 0);
    EXPECT_TRUE(ProcessReader::arguments(10, proc).empty());

    const auto samples = ProcessReader::sample(proc);
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].pid, 10);
    EXPECT_FALSE(ProcessReader::read(13, proc));
    EXPECT_TRUE(ProcessReader::arguments(13, proc).empty());
    EXPECT_FALSE(ProcessReader::workingDirectory(13, proc));

    chmod("proc", 0);
    EXPECT_TRUE(ProcessReader::sample(proc).empty());
    EXPECT_FALSE(ProcessReader::read(10, proc));
}

} // namespace
} // namespace brisklet
