#include "core/finders/NodeModulesFinder.h"

#include "core/fs/FileSize.h"
#include "support/DeepChain.h"
#include "support/FiveAtOnce.h"
#include "support/TempTree.h"

#include <QThreadPool>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <limits.h>

namespace brisklet {

namespace {

namespace fs = std::filesystem;
using test::TempTree;

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

void setModified(const fs::path& p, std::int64_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << p;
}

// Each row makes the listed projects and whatever else its manifest describes; the folders found, sorted.
struct WhichCase {
    const char* name;
    std::vector<std::string> projects;
    std::vector<std::string> expected;
    const char* root = "";
    const char* extra = "";
    const char* home = "home";
    bool packages = false; // whether folders named *.app are packages
};

class NodeModulesWhichTest : public ::testing::TestWithParam<WhichCase> {};

TEST_P(NodeModulesWhichTest, ReportsExactlyTheProjectsFolders) {
    TempTree tree;
    for (const std::string& folder : GetParam().projects)
        project(tree, folder);
    tree.build(GetParam().extra);
    const fs::path root = *GetParam().root ? tree.path(GetParam().root) : tree.root();
    const PackageTest isPackage = [](const fs::path& p) { return p.extension() == ".app"; };
    const fs::path home = tree.path(GetParam().home);
    auto found = relativeUrls(
        tree, GetParam().packages
                  ? NodeModulesFinder::find(root, home, *QThreadPool::globalInstance(), isPackage)
                  : NodeModulesFinder::find(root, home));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, GetParam().expected);
}

// Deep enough that a walk holding a descriptor a level would run out.
const std::string kDeep = [] {
    std::string deep;
    for (int level = 0; level < 130; ++level)
        deep += "d/";
    return deep + "app";
}();

const WhichCase kWhichCases[] = {
    {"RootIsTheProject", {"."}, {"node_modules"}},
    {"NestedNodeModulesNotReportedApart", {"app", "app/node_modules/pkg"}, {"app/node_modules"}},
    // Without a package.json there is no project, and its node_modules is not searched either.
    {"PackageJsonMakesTheProject", {"app", "lib/node_modules/inner"}, {"app/node_modules"}},
    {"PackageJsonLinkedNotDangling", {}, {"linked/node_modules"}, "", R"(
        manifests/app.json = {}
        {linked,dangling}/node_modules/x 5000
        linked/package.json -> @manifests/app.json
        dangling/package.json -> nowhere.json)"},
    {"HiddenPodsDerivedDataNotSearched",
     {".hidden/app", "app/.cache/tool", "ios/Pods/x", "B/DerivedData/y"},
     {}},
    {"NamesMatchExactly",
     {"ios/pods/x", "B/DerivedData2/y"},
     {"B/DerivedData2/y/node_modules", "ios/pods/x/node_modules"}},
    // node_modules must be a folder, not empty, and named exactly so.
    {"NodeModulesNonEmptyFolderExactName", {}, {}, "", R"(
        {file,empty,Case}/package.json = {}
        file/node_modules 5000
        empty/node_modules/empty/emptier/
        Case/Node_Modules/x 5000)"},
    {"LinksAreNeverFollowed", {"outside/real"}, {"outside/real/node_modules"}, "", R"(
        app/package.json = {}
        app/node_modules -> @outside/real/node_modules
        linked-project -> @outside/real)"},
    {"OnlyTheHomesLibraryIsSkipped",
     {"home/Library/app", "home/a/Library/app"},
     {"home/a/Library/app/node_modules"}},
    {"LibraryAsRootIsSearched", {"home/Library/app"}, {"home/Library/app/node_modules"}, "home/Library"},
    // The home's Library is known by identity, however the root or the home is spelled.
    {"HomesLibraryThroughLinkToHome",
     {"home/Library/app", "home/app"},
     {"home-link/app/node_modules"},
     "home-link",
     "home-link -> @home"},
    {"HomesLibraryOtherwiseSpelled", {"home/Library/app"}, {}, "./home/.", "", "home/"},
    {"HiddenRootIsSearched", {".projects/app"}, {".projects/app/node_modules"}, ".projects"},
    {"OddNamesAreKeptAsBytes", {"new\nline \xff\xfe"}, {"new\nline \xff\xfe/node_modules"}},
    {"VeryDeepProject", {kDeep, "shallow"}, {kDeep + "/node_modules", "shallow/node_modules"}},
    // A link given as the root is searched, and what it finds is named below the root as given.
    {"LinkRootNamedAsGiven", {"real/app"}, {"link/app/node_modules"}, "link/", "link -> @real"},
    // Roots that are no folders give nothing.
    {"MissingRoot", {"app"}, {}, "missing"},
    {"FileRoot", {"app"}, {}, "app/package.json"},
    {"DanglingLinkRoot", {"app"}, {}, "dangling", "dangling -> nowhere"},
    {"PackagesAreNotSearched",
     {"Tool.app/Contents/app", "Tool.apps/app"},
     {"Tool.apps/app/node_modules"},
     "",
     "",
     "home",
     true},
};

INSTANTIATE_TEST_SUITE_P(Cases, NodeModulesWhichTest, ::testing::ValuesIn(kWhichCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Deeper than PATH_MAX, where no system call takes the whole path: the walk finds the project
// through descriptors, and the measuring and dating must reach it as well, or it would measure 0
// and be dropped.
TEST(NodeModulesFinderTest, ProjectDeeperThanPathMaxIsFoundWithItsSize) {
    TempTree tree;
    test::DeepChain chain(tree.dir("deep"), 300);
    chain.file("app/package.json", 2);
    const std::int64_t size = chain.file("app/node_modules/dep/index.js", 90000) +
                              chain.file("app/node_modules/dep/lib/util.js", 7000);
    project(tree, "shallow", 5000);
    ASSERT_GT(chain.bottom().native().size(), std::size_t{PATH_MAX});
    const auto found = NodeModulesFinder::find(tree.root(), tree.path("home"));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].url, chain.bottom() / "app/node_modules");
    EXPECT_EQ(found[0].size, size);
    // Dated from its package.json, the one entry of the project that counts.
    EXPECT_TRUE(found[0].lastTouched.has_value());
    EXPECT_TRUE(NodeModulesFinder::find("", tree.root()).empty());
}

TEST(NodeModulesFinderTest, LastTouchedLooksAtTheProjectsOwnEntriesOnly) {
    const auto at = [](std::int64_t seconds) {
        return std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
    };
    TempTree tree;
    project(tree, "app");
    tree.build(
        "app/{.git/,src/deep/newest.js,.DS_Store}\napp/current -> @app/src\nonly/{node_modules/,.DS_Store}");
    // src/deep is not a direct child; app/current is the link itself, not src.
    for (const auto& [entry, seconds] : {std::pair{"app/.git", 500},
                                         {"app/package.json", 1000},
                                         {"app/src", 1100},
                                         {"app/src/deep", 9000},
                                         {"app/src/deep/newest.js", 9000},
                                         {"app/.DS_Store", 9000},
                                         {"app/node_modules", 9000},
                                         {"app/current", 1200}})
        setModified(tree.path(entry), seconds);
    EXPECT_EQ(NodeModulesFinder::lastTouched(tree.path("app")), at(1200));
    setModified(tree.path("app/.git"), 1300); // hidden entries count
    EXPECT_EQ(NodeModulesFinder::lastTouched(tree.path("app")), at(1300));
    const auto found = NodeModulesFinder::find(tree.root(), tree.path("home"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].lastTouched, at(1300));
    // Nothing datable: only node_modules and .DS_Store; and no folder at all.
    EXPECT_EQ(NodeModulesFinder::lastTouched(tree.path("only")), std::nullopt);
    EXPECT_EQ(NodeModulesFinder::lastTouched(tree.path("missing")), std::nullopt);
    EXPECT_EQ(NodeModulesFinder::lastTouched(tree.path("app/package.json")), std::nullopt);
}

// Five searches at once from a two-thread pool like the scans', all measuring on the shared
// measuring pool: none may wait for a thread its own pool needs.
TEST(NodeModulesFinderTest, ConcurrentSearchesFromAnotherPoolFinish) {
    TempTree tree;
    for (int i = 0; i < 8; ++i)
        project(tree, "p" + std::to_string(i), 4096 * static_cast<std::size_t>(i + 1));
    const auto expected = NodeModulesFinder::find(tree.root(), tree.path("home"));
    ASSERT_EQ(expected.size(), 8u);
    QThreadPool scans;
    for (const auto& found :
         test::fiveAtOnce(scans, [&] { return NodeModulesFinder::find(tree.root(), tree.path("home")); }))
        EXPECT_EQ(found, expected);
}

} // namespace

} // namespace brisklet
