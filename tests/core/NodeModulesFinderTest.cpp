#include "core/NodeModulesFinder.h"

#include "core/FileSize.h"
#include "support/TempTree.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace brisklet {

namespace {

namespace fs = std::filesystem;
using test::TempTree;
using Clock = std::chrono::system_clock;

// A project with a package.json and a node_modules folder holding one file of `bytes`.
void project(TempTree& tree, const std::string& folder, std::size_t bytes = 5000) {
    tree.text(folder + "/package.json", "{}");
    tree.file(folder + "/node_modules/dep/index.js", bytes);
}

std::vector<std::string> relativeUrls(const TempTree& tree, const std::vector<NodeModulesFolder>& found) {
    std::vector<std::string> urls;
    for (const NodeModulesFolder& folder : found)
        urls.push_back(folder.url.lexically_relative(tree.root()).string());
    return urls;
}

// The order the file system lists a folder's entries in, which is the order the walk meets them.
std::vector<std::string> listingOrder(const fs::path& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    while (dir != nullptr) {
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) break;
        if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
    }
    if (dir != nullptr) ::closedir(dir);
    return names;
}

void setModified(const fs::path& p, std::int64_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << p;
}

Clock::time_point at(std::int64_t seconds) {
    return Clock::time_point(std::chrono::seconds(seconds));
}

// ---- Which folders are reported

struct WhichCase {
    const char* name;
    std::function<void(TempTree&)> make;
    std::vector<std::string> expected; // relative to the root, largest first
    const char* home = "home-elsewhere";
    const char* root = "";
};

class NodeModulesWhichTest : public ::testing::TestWithParam<WhichCase> {};

TEST_P(NodeModulesWhichTest, ReportsExactlyTheProjectsFolders) {
    const WhichCase& c = GetParam();
    TempTree tree;
    c.make(tree);
    const fs::path root = *c.root ? tree.path(c.root) : tree.root();
    EXPECT_EQ(relativeUrls(tree, NodeModulesFinder::find(root, tree.path(c.home))), c.expected);
}

const WhichCase kWhichCases[] = {
    {"OneProject", [](TempTree& t) { project(t, "app"); }, {"app/node_modules"}},
    {"RootIsTheProject", [](TempTree& t) { project(t, "."); }, {"node_modules"}},
    {"NestedNodeModulesAreNotReportedSeparately",
     [](TempTree& t) {
         project(t, "app", 9000);
         project(t, "app/node_modules/pkg", 90000);
     },
     {"app/node_modules"}},
    {"NoPackageJsonNoReportAndNoSearch",
     [](TempTree& t) {
         t.file("lib/node_modules/x/index.js", 5000);
         project(t, "lib/node_modules/inner");
     },
     {}},
    {"PackageJsonThatIsALinkCounts",
     [](TempTree& t) {
         t.text("manifests/app.json", "{}");
         t.file("app/node_modules/x", 5000);
         t.symlink("app/package.json", t.path("manifests/app.json"));
     },
     {"app/node_modules"}},
    {"PackageJsonThatIsADanglingLinkDoesNot",
     [](TempTree& t) {
         t.file("app/node_modules/x", 5000);
         t.symlink("app/package.json", "nowhere.json");
     },
     {}},
    {"HiddenFoldersAreNotSearched",
     [](TempTree& t) {
         project(t, ".hidden/app");
         project(t, "app/.cache/tool");
     },
     {}},
    {"PodsAndDerivedDataAreNotSearched",
     [](TempTree& t) {
         project(t, "ios/Pods/x");
         project(t, "Build/DerivedData/y");
     },
     {}},
    {"NamesMatchExactly",
     [](TempTree& t) {
         project(t, "ios/pods/x", 5000);
         project(t, "Build/DerivedData2/y", 9000);
         t.text("Node_Modules-app/package.json", "{}");
         t.file("Node_Modules-app/Node_Modules/x", 5000);
     },
     {"Build/DerivedData2/y/node_modules", "ios/pods/x/node_modules"}},
    {"LinksAreNeverFollowed",
     [](TempTree& t) {
         project(t, "outside/real", 5000);
         t.text("app/package.json", "{}");
         t.symlink("app/node_modules", t.path("outside/real/node_modules"));
         t.symlink("linked-project", t.path("outside/real"));
     },
     {"outside/real/node_modules"},
     "home-elsewhere",
     ""},
    {"AFileNamedNodeModulesIsNotAFolder",
     [](TempTree& t) {
         t.text("app/package.json", "{}");
         t.file("app/node_modules", 5000);
     },
     {}},
    {"EmptyNodeModulesIsDropped",
     [](TempTree& t) {
         t.text("app/package.json", "{}");
         t.dir("app/node_modules/empty/emptier");
     },
     {}},
    {"TheHomesLibraryIsNotSearched", [](TempTree& t) { project(t, "home/Library/app"); }, {}, "home", "home"},
    {"AnotherLibraryIs",
     [](TempTree& t) { project(t, "home/Documents/Library/app"); },
     {"home/Documents/Library/app/node_modules"},
     "home",
     "home"},
    {"TheLibraryAsRootIsSearched",
     [](TempTree& t) { project(t, "home/Library/app"); },
     {"home/Library/app/node_modules"},
     "home",
     "home/Library"},
    {"TheHomesLibraryThroughALinkToHome",
     [](TempTree& t) {
         project(t, "home/Library/app");
         t.symlink("home-link", t.path("home"));
     },
     {},
     "home",
     "home-link"},
    {"TheHomesLibraryOtherwiseSpelled",
     [](TempTree& t) { project(t, "home/Library/app"); },
     {},
     "home",
     "./home/."},
    {"HomeWrittenWithTrailingSlash",
     [](TempTree& t) { project(t, "home/Library/app"); },
     {},
     "home/",
     "home"},
    {"HiddenRootIsSearched",
     [](TempTree& t) { project(t, ".projects/app"); },
     {".projects/app/node_modules"},
     "home",
     ".projects"},
    {"OddNamesAreKeptAsBytes",
     [](TempTree& t) { project(t, "new\nline \xff\xfe"); },
     {"new\nline \xff\xfe/node_modules"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, NodeModulesWhichTest, ::testing::ValuesIn(kWhichCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Sizes, order and dates

TEST(NodeModulesFinderTest, SizesAreOnDiskLargestFirstTiesInWalkOrder) {
    TempTree tree;
    for (const char* name : {"p1", "p2", "p3", "p4", "p5", "p6"})
        project(tree, name, name == std::string("p4") ? 200000 : 20000);
    project(tree, "p3/sub/inner", 20000);
    // Ties come in the walk's order: a folder's entries as listed, with what lies inside an entry
    // right after it. The file system's listing order is not alphabetical, so read it.
    std::vector<std::string> expected{"p4/node_modules"};
    for (const std::string& name : listingOrder(tree.root())) {
        if (name == "p4") continue;
        if (name != "p3") {
            expected.push_back(name + "/node_modules");
            continue;
        }
        for (const std::string& inner : listingOrder(tree.path("p3"))) {
            if (inner == "node_modules") expected.push_back("p3/node_modules");
            if (inner == "sub") expected.push_back("p3/sub/inner/node_modules");
        }
    }
    const auto found = NodeModulesFinder::find(tree.root(), tree.path("home"));
    EXPECT_EQ(relativeUrls(tree, found), expected);
    for (const NodeModulesFolder& folder : found) {
        EXPECT_EQ(folder.size, FileSize::onDisk(folder.url)) << folder.url;
        EXPECT_EQ(folder.project(), folder.url.parent_path());
        EXPECT_EQ(folder.lastTouched, NodeModulesFinder::lastTouched(folder.project()));
    }
}

TEST(NodeModulesFinderTest, RootGivenAsLinkIsSearchedAndNamedAsGiven) {
    TempTree tree;
    project(tree, "real/app");
    tree.symlink("link", tree.path("real"));
    const auto found = NodeModulesFinder::find(tree.path("link/"), tree.path("home"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].url, tree.path("link/app/node_modules"));
}

TEST(NodeModulesFinderTest, RootsThatAreNoFoldersGiveNothing) {
    TempTree tree;
    project(tree, "app");
    EXPECT_TRUE(NodeModulesFinder::find(tree.path("missing"), tree.root()).empty());
    EXPECT_TRUE(NodeModulesFinder::find(tree.path("app/package.json"), tree.root()).empty());
    EXPECT_TRUE(NodeModulesFinder::find(tree.symlink("dangling", "nowhere"), tree.root()).empty());
    EXPECT_TRUE(NodeModulesFinder::find("", tree.root()).empty());
}

TEST(NodeModulesFinderTest, VeryDeepProjectIsFound) {
    TempTree tree;
    std::string deep;
    for (int level = 0; level < 130; ++level)
        deep += "d/";
    project(tree, deep + "app", 90000);
    project(tree, "shallow", 5000);
    const auto found = NodeModulesFinder::find(tree.root(), tree.path("home"));
    EXPECT_EQ(relativeUrls(tree, found),
              (std::vector<std::string>{deep + "app/node_modules", "shallow/node_modules"}));
}

TEST(NodeModulesFinderTest, LastTouchedLooksAtTheProjectsOwnEntriesOnly) {
    TempTree tree;
    project(tree, "app");
    setModified(tree.dir("app/.git"), 500);
    tree.file("app/src/deep/newest.js", 10);
    tree.file("app/.DS_Store", 10);
    tree.symlink("app/current", tree.path("app/src"));
    setModified(tree.path("app/package.json"), 1000);
    setModified(tree.path("app/src"), 1100);
    setModified(tree.path("app/src/deep"), 9000); // not a direct child
    setModified(tree.path("app/src/deep/newest.js"), 9000);
    setModified(tree.path("app/.DS_Store"), 9000);
    setModified(tree.path("app/node_modules"), 9000);
    setModified(tree.path("app/current"), 1200); // the link itself, not src
    EXPECT_EQ(NodeModulesFinder::lastTouched(tree.path("app")), at(1200));
    setModified(tree.path("app/.git"), 1300); // hidden entries count
    EXPECT_EQ(NodeModulesFinder::lastTouched(tree.path("app")), at(1300));
    const auto found = NodeModulesFinder::find(tree.root(), tree.path("home"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].lastTouched, at(1300));
}

TEST(NodeModulesFinderTest, LastTouchedIsNoneWithoutDatableEntries) {
    TempTree tree;
    tree.dir("only/node_modules");
    tree.file("only/.DS_Store", 1);
    EXPECT_EQ(NodeModulesFinder::lastTouched(tree.path("only")), std::nullopt);
    EXPECT_EQ(NodeModulesFinder::lastTouched(tree.path("missing")), std::nullopt);
    EXPECT_EQ(NodeModulesFinder::lastTouched(tree.text("file", "x")), std::nullopt);
}

TEST(NodeModulesFinderTest, PackagesAreNotSearched) {
    TempTree tree;
    project(tree, "Tool.app/Contents/app");
    project(tree, "Tool.apps/app");
    const PackageTest isPackage = [](const fs::path& p) { return p.extension() == ".app"; };
    const auto found =
        NodeModulesFinder::find(tree.root(), tree.path("home"), *QThreadPool::globalInstance(), isPackage);
    EXPECT_EQ(relativeUrls(tree, found), std::vector<std::string>{"Tool.apps/app/node_modules"});
}

// Five searches at once, each on a two-thread pool like the scans', all measuring on the shared
// measuring pool: none may wait for a thread its own pool needs.
TEST(NodeModulesFinderTest, ConcurrentSearchesFromAnotherPoolFinish) {
    TempTree tree;
    for (int i = 0; i < 8; ++i)
        project(tree, "p" + std::to_string(i), 4096 * static_cast<std::size_t>(i + 1));
    const auto expected = NodeModulesFinder::find(tree.root(), tree.path("home"));
    ASSERT_EQ(expected.size(), 8u);
    QThreadPool scans;
    scans.setMaxThreadCount(2);
    std::vector<QFuture<std::vector<NodeModulesFolder>>> searches;
    for (int i = 0; i < 5; ++i) {
        searches.push_back(QtConcurrent::run(&scans, [root = tree.root(), home = tree.path("home")] {
            return NodeModulesFinder::find(root, home);
        }));
    }
    for (auto& search : searches)
        EXPECT_EQ(search.result(), expected);
}

} // namespace

} // namespace brisklet
