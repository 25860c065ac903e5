#include "core/finders/LargeFileFinder.h"
#include "core/finders/NodeModulesFinder.h"

#include "Unprivileged.h"

#include <algorithm>
#include <string>
#include <vector>

namespace brisklet {
namespace {

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

} // namespace
} // namespace brisklet
