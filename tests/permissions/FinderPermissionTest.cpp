#include "core/LargeFileFinder.h"
#include "core/NodeModulesFinder.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace brisklet {

namespace {

namespace fs = std::filesystem;
using test::TempTree;

class FinderPermissionTest : public ::testing::Test {
protected:
    void SetUp() override {
        // As root every folder is readable and none of these would test anything.
        ASSERT_NE(::geteuid(), 0u) << "run this program as an unprivileged user (tests/run-unprivileged.sh)";
    }

    void project(const std::string& folder, std::size_t bytes = 50000) {
        tree.text(folder + "/package.json", "{}");
        tree.file(folder + "/node_modules/dep/index.js", bytes);
    }

    void chmod(const std::string& relative, mode_t mode) {
        ASSERT_EQ(::chmod(tree.path(relative).c_str(), mode), 0);
    }

    std::vector<std::string> nodeModules(const std::string& root = "") {
        std::vector<std::string> urls;
        for (const NodeModulesFolder& f :
             NodeModulesFinder::find(root.empty() ? tree.root() : tree.path(root), home()))
            urls.push_back(f.url.lexically_relative(tree.root()).string());
        std::sort(urls.begin(), urls.end());
        return urls;
    }

    std::vector<std::string> largeFiles(const std::string& root = "") {
        std::vector<std::string> urls;
        for (const LargeFile& f :
             LargeFileFinder::find(root.empty() ? tree.root() : tree.path(root), 40000, 300, home()))
            urls.push_back(f.url.lexically_relative(tree.root()).string());
        std::sort(urls.begin(), urls.end());
        return urls;
    }

    fs::path home() const { return tree.path("home"); }

    TempTree tree;
};

// A folder we may not read, one we may list but not enter, one we may enter but not list: each is
// passed over, and the rest of the tree is still searched.
TEST_F(FinderPermissionTest, UnreadableFoldersArePassedOver) {
    for (const char* locked : {"no-access", "list-only", "enter-only"}) {
        project(std::string(locked) + "/app");
        tree.file(std::string(locked) + "/big", 50000);
    }
    project("open/app");
    tree.file("open/big", 50000);
    chmod("no-access", 0);
    chmod("list-only", 0444);
    chmod("enter-only", 0111);
    EXPECT_EQ(nodeModules(), std::vector<std::string>{"open/app/node_modules"});
    EXPECT_EQ(largeFiles(), std::vector<std::string>{"open/big"});
}

TEST_F(FinderPermissionTest, UnreadableRootGivesNothing) {
    project("root/app");
    tree.file("root/big", 50000);
    chmod("root", 0);
    EXPECT_TRUE(nodeModules("root").empty());
    EXPECT_TRUE(largeFiles("root").empty());
}

// The project can be searched but its dependency folder cannot be measured: nothing measurable,
// nothing to win back, so it is not offered.
TEST_F(FinderPermissionTest, NodeModulesThatCannotBeMeasuredIsDropped) {
    project("sealed");
    project("fine");
    chmod("sealed/node_modules", 0);
    EXPECT_EQ(nodeModules(), std::vector<std::string>{"fine/node_modules"});
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
