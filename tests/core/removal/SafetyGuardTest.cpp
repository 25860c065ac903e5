#include "core/removal/SafetyGuard.h"

#include "support/GuardOracle.h"

#include <gtest/gtest.h>

#include <iostream>
#include <random>

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

using GuardTree = test::GuardHome;

// One path for each rule the property test below checks at random, so that a broken rule shows by
// name; and what the random paths never hold.
TEST(SafetyGuard, JudgesEachPathByWhereItReallyIs) {
    const GuardTree g;
    // "@" stands for the fixture's root folder.
    const std::tuple<std::string_view, bool, bool> rows[] = {
        // Strictly below a root, never the root itself nor a sibling whose name begins like one.
        {"@/home/Library/Caches", false, false},
        {"@/home/.cacheX/x", false, false},
        {"@/home/.npm/_cacache", true, true},
        {"@/var/crash/_usr_bin_x.1000.crash", false, true},
        // A last component that names a folder by relation is never an item of its own.
        {"@/home/.cache/app/..", false, false},
        // Dots, doubled and trailing slashes in the parent resolve to the real folder, not the text.
        {"@//home///Library//Caches//com.x//", true, false},
        // ".." after a link applies to the link's target, as in the kernel: Logs/.. is elsewhere.
        {"@/home/Library/Logs/../Caches/y", false, false},
        // A root given as a link, and the temporary folder through a link: judged by their targets.
        {"@/tmplink/metro-1", true, true},
        // node_modules: strictly below home, nowhere else, not even in the temporary folder.
        {"@/home/node_modules", true, true},
        {"@/tmp/node_modules", false, false},
        // Reached through links: judged by the resolved location; a link that is the item itself by
        // where it lies, even with a trailing slash. A relative target resolves from the link's folder.
        {"@/home/links/intoCaches/com.x", true, false},
        {"@/home/Library/Caches/out/", true, false},
        // Unresolvable parents are refused: loops, a dangling link, a file as a folder.
        {"@/home/.cache/ping/x", false, false},
        // A parent that does not exist yet is resolved as far as it exists; nothing relational may
        // follow the missing part.
        {"@/home/.cache/missing/deeper/x", false, true},
        {"@/home/.cache/missing/../../Documents/x", false, false},
        // Not a usable path at all.
        {"home/.cache/app", false, false},
        {"", false, false},
        {"@/home/.cache/app\0x"sv, false, false},
    };
    const Locations mac = g.locations(JunkLayout::macOS);
    const Locations fd = g.locations(JunkLayout::freedesktop);
    for (const auto& [path, macOS, freedesktop] : rows) {
        std::string text(path);
        if (text.starts_with('@')) text.replace(0, 1, g.tree.root().native());
        EXPECT_EQ(SafetyGuard::canDelete(text, mac), macOS) << "macOS: " << text;
        EXPECT_EQ(SafetyGuard::canDelete(text, fd), freedesktop) << "freedesktop: " << text;
    }
}

TEST(SafetyGuard, DropsRootsThatWouldCoverTheHomeFolder) {
    const GuardTree g;
    const std::pair<fs::path Locations::*, fs::path> cases[] = {
        {&Locations::tempDir, g.home},
        {&Locations::tempDir, "/"},
        {&Locations::cacheHome, g.tree.root()},
        {&Locations::cacheHome, g.home / ".cache/up"}};
    for (const auto& [root, folder] : cases) {
        Locations l = g.locations(JunkLayout::freedesktop);
        l.*root = folder;
        EXPECT_FALSE(SafetyGuard::canDelete(g.home / "Documents/x", l)) << folder;
        EXPECT_FALSE(SafetyGuard::canDelete(g.tree.path("outside/x"), l)) << folder;
        // The other roots still work.
        EXPECT_TRUE(SafetyGuard::canDelete(g.home / ".npm/_cacache", l)) << folder;
    }
}

TEST(SafetyGuard, AdmitsNothingWithoutAHomeFolderItCanResolve) {
    const GuardTree g;
    // Each with the temporary folder widened to the home folder's parent, which the home rule would catch.
    for (const fs::path& home :
         {fs::path("home"), g.home / ".cache/loop", g.home / ".cache/file.txt/x", fs::path("/")}) {
        Locations l = g.locations(JunkLayout::freedesktop);
        l.home = home;
        l.tempDir = g.tree.root();
        EXPECT_TRUE(SafetyGuard::resolveRoots(l).paths.empty()) << home;
        for (const char* path :
             {"home/Documents/x", "home/.cache/app", "tmp/metro-1", "home/work/app/node_modules"})
            EXPECT_FALSE(SafetyGuard::canDelete(g.tree.path(path), l)) << home << ": " << path;
    }
}

// ---- The property: whatever the text of a path, the guard answers for where it really is: the
// place, the name, the parent and the root that holds it (none for node_modules, which a projects
// disk mounted in home may hold). The fixture's links have targets of every length the guard's
// growing buffer must read again rather than take cut. ----

std::uint64_t propertySeed() {
    if (const char* text = std::getenv("BRISKLET_GUARD_SEED"); text && *text)
        return std::strtoull(text, nullptr, 10);
    return std::random_device{}();
}

TEST(SafetyGuard, NeverAdmitsAnythingOutsideARoot) {
    const GuardTree g;
    const test::GuardOracle oracle(g);
    const std::uint64_t seed = propertySeed();
    std::cout << "[ seed     ] BRISKLET_GUARD_SEED=" << seed << std::endl;
    SCOPED_TRACE("BRISKLET_GUARD_SEED=" + std::to_string(seed));
    std::mt19937_64 random(seed);

    const std::string r = g.tree.root().native();
    std::vector<std::string> bases = {"/", "", "home"};
    for (const char* base : {"", "/home", "/home/.cache", "/home/Library", "/home/Library/Caches",
                             "/home/.local/share/Trash", "/tmplink", "/outside", "/home/work"})
        bases.push_back(r + base);
    // Every name the fixture holds, and some it does not; sorted, so that a seed stays reproducible.
    std::vector<std::string> parts = {".", "..", "", "missing", ".Trash", "node_modules"};
    for (const auto& entry : fs::recursive_directory_iterator(g.tree.root()))
        parts.push_back(entry.path().filename());
    std::sort(parts.begin(), parts.end());

    constexpr int kPaths = 100'000;
    int admitted = 0, admittedNodeModules = 0, failures = 0;
    for (int layout = 0; layout < 2; ++layout)
        EXPECT_TRUE(oracle.rootsAgree(layout)) << "layout " << layout;
    for (int i = 0; i < kPaths && failures < 10; ++i) {
        const int layout = static_cast<int>(random() % 2);
        std::string path = bases[random() % bases.size()];
        const int count = static_cast<int>(random() % 8);
        for (int k = 0; k < count; ++k)
            path += "/" + parts[random() % parts.size()];
        if (random() % 8 == 0) path += "/";

        const bool allowed = SafetyGuard::admitText(path, oracle.guardRoots[layout]).has_value();
        // The overload that resolves the roots itself must agree.
        if (i % 500 == 0) {
            EXPECT_EQ(allowed, SafetyGuard::canDelete(path, oracle.layouts[layout])) << path;
        }
        admitted += allowed;
        admittedNodeModules += allowed && (path.ends_with("node_modules") || path.ends_with("node_modules/"));
        if (const std::string problem = oracle.problem(path, layout); !problem.empty()) {
            ++failures;
            ADD_FAILURE() << problem << ": " << path << " (layout " << layout << ")";
        }
    }
    // The property holds vacuously if nothing is admitted: make sure the paths reach the roots.
    EXPECT_GT(admitted, kPaths / 100);
    EXPECT_GT(admittedNodeModules, 0);
}

} // namespace
} // namespace brisklet
