#include "core/finders/LargeFileFinder.h"
#include "core/finders/NodeModulesFinder.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace brisklet {

namespace {

using test::TempTree;

class FinderPermissionTest : public ::testing::Test {
protected:
    void SetUp() override {
        // As root every folder is readable and none of these would test anything.
        ASSERT_NE(::geteuid(), 0u) << "run this program as an unprivileged user (tests/run-unprivileged.sh)";
    }

    void project(const std::string& folder) {
        tree.text(folder + "/package.json", "{}");
        tree.file(folder + "/node_modules/dep/index.js", 50000);
        tree.file(folder + "/big", 50000);
    }

    void chmod(const std::string& relative, mode_t mode) {
        ASSERT_EQ(::chmod(tree.path(relative).c_str(), mode), 0);
    }

    // What each finder lists from `root`, sorted and relative to the tree.
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

    TempTree tree;
};

// A folder we may not read, one we may list but not enter, one we may enter but not list: each is
// passed over, and the rest of the tree is still searched; as the root, each gives nothing.
TEST_F(FinderPermissionTest, UnreadableFoldersArePassedOver) {
    for (const char* locked : {"no-access", "list-only", "enter-only"})
        project(std::string(locked) + "/app");
    project("open/app");
    chmod("no-access", 0);
    chmod("list-only", 0444);
    chmod("enter-only", 0111);
    EXPECT_EQ(found(), (std::vector<std::string>{"open/app/big", "open/app/node_modules"}));
    for (const char* locked : {"no-access", "list-only", "enter-only"})
        EXPECT_EQ(found(locked), std::vector<std::string>{}) << locked;
}

// The project can be searched but its dependency folder cannot be measured: nothing measurable,
// nothing to win back, so it is not offered.
TEST_F(FinderPermissionTest, NodeModulesThatCannotBeMeasuredIsDropped) {
    project("sealed");
    project("fine");
    chmod("sealed/node_modules", 0);
    EXPECT_EQ(found(), (std::vector<std::string>{"fine/big", "fine/node_modules", "sealed/big"}));
}

TEST_F(FinderPermissionTest, ProjectThatCannotBeListedHasNoDate) {
    project("app");
    chmod("app", 0311); // may be entered (so node_modules is reached) but not listed
    EXPECT_EQ(NodeModulesFinder::lastTouched(tree.path("app")), std::nullopt);
    chmod("app", 0755);
    EXPECT_NE(NodeModulesFinder::lastTouched(tree.path("app")), std::nullopt);
}

} // namespace

} // namespace brisklet
