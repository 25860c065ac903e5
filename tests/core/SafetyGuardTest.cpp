#include "core/SafetyGuard.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace brisklet {
namespace {

namespace fs = std::filesystem;

// "@" in a path stands for the fixture's root folder.
std::string expand(std::string_view text, const fs::path& root) {
    std::string out;
    for (const char c : text) {
        if (c == '@')
            out += root.native();
        else
            out += c;
    }
    return out;
}

// A home folder with roots of both layouts, links into and out of them, loops, a dangling link and
// look-alike names; the temporary folder is given through a link.
struct GuardTree {
    test::TempTree tree;
    fs::path home = tree.path("home");

    GuardTree() {
        tree.file("home/Library/Caches/com.x/data", 10);
        tree.file("home/Library/CachesOld/x", 10);
        tree.file("elsewhere/logs/app.log", 10);
        tree.symlink("home/Library/Logs", tree.path("elsewhere/logs"));
        tree.dir("home/Library/Developer");
        tree.file("home/Documents/x", 10);
        tree.file("home/.cache/app/data", 10);
        tree.file("home/.cache/file.txt", 10);
        tree.file("home/.cacheX/x", 10);
        tree.file("home/.local/share/Trash/files/a", 10);
        tree.text("home/.local/share/Trash/info/a.trashinfo", "[Trash Info]\nPath=/a\n");
        tree.dir("home/.npm/_cacache");
        tree.dir("home/work/app/node_modules");
        tree.symlink("home/links/intoCaches", tree.path("home/Library/Caches"));
        tree.symlink("home/Library/Caches/out", tree.path("outside"));
        tree.symlink("home/.cache/out", tree.path("outside"));
        tree.symlink("home/.cache/up", "..");
        tree.symlink("home/.cache/loop", "loop");
        tree.symlink("home/.cache/ping", "pong");
        tree.symlink("home/.cache/pong", "ping");
        tree.symlink("home/.cache/dangling", tree.path("nowhere/deeper"));
        tree.symlink("outside/back", tree.path("home/.cache"));
        tree.dir("outside/node_modules");
        tree.file("outside/x", 10);
        tree.file("tmp/metro-1", 10);
        tree.dir("tmp/node_modules");
        tree.symlink("tmplink", "tmp");
    }

    Locations locations(JunkLayout layout) const {
        return Locations::forHome(home, tree.path("tmplink"), layout);
    }
};

struct Row {
    const char* path;
    bool macOS;
    bool freedesktop;
};

TEST(SafetyGuard, JudgesEachPathByWhereItReallyIs) {
    const GuardTree g;
    const Row rows[] = {
        // Strictly below a root, never the root itself nor a look-alike sibling.
        {"@/home/Library/Caches/com.x", true, false},
        {"@/home/Library/Caches", false, false},
        {"@/home/Library/Caches/", false, false},
        {"@/home/Library/CachesOld/x", false, false},
        {"@/home/Documents/x", false, false},
        {"@/home/.cache/app", false, true},
        {"@/home/.cache", false, false},
        {"@/home/.cacheX/x", false, false},
        {"@/home/.Trash/x", true, false},
        {"@/home/.local/share/Trash/files/a", false, true},
        {"@/home/.local/share/Trash/info/a.trashinfo", false, true},
        {"@/home/.local/share/Trash", false, false},
        {"@/home/.local/share/xorg/Xorg.0.log", false, true},
        {"@/home/.local/share/pnpm/store", false, true},
        {"@/home/Library/pnpm/store", true, false},
        {"@/home/Library/Developer/x", true, true},
        {"@/home/.npm/_cacache", true, true},
        {"@/home/.bun/install/cache", true, true},
        {"@/home/.gradle/caches", true, true},
        {"@/home/.cargo/registry", true, true},
        {"@/home/.android/cache", true, true},
        {"@/home/.npmrc", false, false},
        // A last component that names a folder by relation is never an item of its own.
        {"@/home/Library/Caches/.", false, false},
        {"@/home/Library/Caches/..", false, false},
        {"@/home/Library/Caches/com.x/..", false, false},
        {"@/home/Library/Caches/com.x/.", false, false},
        {"@/home/.cache/app/..", false, false},
        // Dots, doubled and trailing slashes in the parent resolve to the real folder.
        {"@/home/Library/Caches/../Caches/com.x", true, false},
        {"@/home/Library/Caches/../CachesOld/x", false, false},
        {"@//home///Library//Caches//com.x//", true, false},
        {"@/home/./Library/./Caches/./com.x", true, false},
        {"@/home/.cache/../.cache/./app/", false, true},
        // ".." after a link applies to the link's target, as in the kernel: Logs/.. is elsewhere.
        {"@/home/Library/Logs/../Caches/y", false, false},
        // A root given as a link; what lies at its target is below the root.
        {"@/home/Library/Logs/app.log", true, false},
        {"@/elsewhere/logs/app.log", true, false},
        // The temporary folder given through a link, and the real one.
        {"@/tmplink/metro-1", true, true},
        {"@/tmp/metro-1", true, true},
        {"@/tmplink", false, false},
        {"@/tmp", false, false},
        {"@/tmplink/", false, false},
        // node_modules: strictly below home, nowhere else, not even in the temporary folder.
        {"@/home/work/app/node_modules", true, true},
        {"@/home/node_modules", true, true},
        {"@/home/Library/Caches/com.x/node_modules", true, true},
        {"@/outside/node_modules", false, false},
        {"@/tmp/node_modules", false, false},
        {"@/tmplink/node_modules", false, false},
        {"@/home/../node_modules", false, false},
        {"@/home/.cache/out/node_modules", false, false},
        // Reached through links: judged by the resolved location; a link that is the item itself
        // by where it lies.
        {"@/home/links/intoCaches/com.x", true, false},
        {"@/home/Library/Caches/out/x", false, false},
        {"@/home/Library/Caches/out", true, false},
        {"@/home/Library/Caches/out/", true, false},
        {"@/home/.cache/out/x", false, false},
        {"@/home/.cache/out", false, true},
        {"@/outside/back/app", false, true},
        {"@/home/.cache/up/Documents/x", false, false},
        {"@/home/.cache/up/.cache/app", false, true},
        // Unresolvable parents are refused: loops, a dangling link, a file as a folder.
        {"@/home/.cache/loop/x", false, false},
        {"@/home/.cache/ping/x", false, false},
        {"@/home/.cache/dangling/x", false, false},
        {"@/home/.cache/file.txt/x", false, false},
        // A parent that does not exist yet is resolved as far as it exists; nothing relational may
        // follow the missing part.
        {"@/home/.cache/missing/deeper/x", false, true},
        {"@/home/.cache/missing/../../Documents/x", false, false},
        {"@/home/.cache/missing/./x", false, false},
        {"@/outside/x", false, false},
        // Not a usable path at all.
        {"home/.cache/app", false, false},
        {"", false, false},
        {"/", false, false},
        {"//", false, false},
    };
    const Locations mac = g.locations(JunkLayout::macOS);
    const Locations freedesktop = g.locations(JunkLayout::freedesktop);
    for (const Row& row : rows) {
        const fs::path url = expand(row.path, g.tree.root());
        EXPECT_EQ(SafetyGuard::canDelete(url, mac), row.macOS) << "macOS: " << row.path;
        EXPECT_EQ(SafetyGuard::canDelete(url, freedesktop), row.freedesktop) << "freedesktop: " << row.path;
    }
}

TEST(SafetyGuard, RefusesPathsWithAnEmbeddedNul) {
    const GuardTree g;
    const std::string text = g.home.native() + "/.cache/app" + std::string(1, '\0') + "x";
    EXPECT_FALSE(SafetyGuard::canDelete(fs::path(text), g.locations(JunkLayout::freedesktop)));
}

TEST(SafetyGuard, NoRootMayCoverTheWholeHomeFolder) {
    const GuardTree g;
    const fs::path documents = g.home / "Documents" / "x";
    struct Case {
        const char* what;
        Locations locations;
    };
    Locations tempIsHome = g.locations(JunkLayout::macOS);
    tempIsHome.tempDir = g.home;
    Locations tempIsSlash = g.locations(JunkLayout::freedesktop);
    tempIsSlash.tempDir = "/";
    Locations cacheIsHome = g.locations(JunkLayout::freedesktop);
    cacheIsHome.cacheHome = g.home / ".";
    Locations cacheAboveHome = g.locations(JunkLayout::freedesktop);
    cacheAboveHome.cacheHome = g.tree.root();
    Locations cacheIsHomeByLink = g.locations(JunkLayout::freedesktop);
    cacheIsHomeByLink.cacheHome = g.home / ".cache" / "up";
    Locations relativeTemp = g.locations(JunkLayout::freedesktop);
    relativeTemp.tempDir = "home";
    const Case cases[] = {{"temp is home", tempIsHome},
                          {"temp is /", tempIsSlash},
                          {"cache is home", cacheIsHome},
                          {"cache above home", cacheAboveHome},
                          {"cache is home through a link", cacheIsHomeByLink},
                          {"relative temp", relativeTemp}};
    for (const Case& c : cases) {
        EXPECT_FALSE(SafetyGuard::canDelete(documents, c.locations)) << c.what;
        EXPECT_FALSE(SafetyGuard::canDelete(g.tree.path("outside/x"), c.locations)) << c.what;
        // The other roots still work.
        EXPECT_TRUE(SafetyGuard::canDelete(g.home / ".npm" / "_cacache", c.locations)) << c.what;
    }
}

TEST(SafetyGuard, AdmitsCrashReportsOnlyBelowVarCrash) {
    const GuardTree g;
    const Locations l = g.locations(JunkLayout::freedesktop);
    EXPECT_TRUE(SafetyGuard::canDelete("/var/crash/_usr_bin_x.1000.crash", l));
    EXPECT_FALSE(SafetyGuard::canDelete("/var/crash", l));
    EXPECT_FALSE(SafetyGuard::canDelete("/var/crashes/x", l));
    EXPECT_FALSE(SafetyGuard::canDelete("/var/crash/x", g.locations(JunkLayout::macOS)));
}

TEST(SafetyGuard, TellsTheResolvedTarget) {
    const GuardTree g;
    const SafetyGuard::Roots roots = SafetyGuard::resolveRoots(g.locations(JunkLayout::macOS));
    const auto real = fs::canonical(g.tree.root()).native();

    const auto throughLink = SafetyGuard::admit(g.home / "links" / "intoCaches" / "com.x", roots);
    ASSERT_TRUE(throughLink);
    EXPECT_EQ(*throughLink, (SafetyGuard::Target{real + "/home/Library/Caches", "com.x", true}));

    const auto missing = SafetyGuard::admit(g.home / "Library/Caches/new/deeper/x", roots);
    ASSERT_TRUE(missing);
    EXPECT_EQ(*missing, (SafetyGuard::Target{real + "/home/Library/Caches/new/deeper", "x", false}));
}

// ---- The property: whatever the text of a path, nothing outside a root is ever admitted. ----

std::uint64_t propertySeed() {
    if (const char* text = std::getenv("BRISKLET_GUARD_SEED"); text && *text)
        return std::strtoull(text, nullptr, 10);
    return std::random_device{}();
}

// Where a folder really is, told independently of the guard: realpath(3) of its longest existing
// part, then the missing rest as text. nullopt when that cannot be told: the rest holds "." or "..",
// or its first component exists after all (a dangling link, a loop).
std::optional<std::string> realFolder(const std::string& path) {
    char buffer[PATH_MAX];
    std::string existing = path;
    std::vector<std::string> missing; // last component first
    while (::realpath(existing.c_str(), buffer) == nullptr) {
        if (errno != ENOENT || existing == "/") return std::nullopt;
        const auto slash = existing.rfind('/');
        if (slash + 1 < existing.size()) missing.push_back(existing.substr(slash + 1));
        existing = slash == 0 ? "/" : existing.substr(0, slash);
    }
    std::string real = buffer;
    for (auto part = missing.rbegin(); part != missing.rend(); ++part) {
        if (*part == "." || *part == "..") return std::nullopt;
        const std::string next = (real == "/" ? "" : real) + "/" + *part;
        struct stat st {};
        if (part == missing.rbegin() && ::lstat(next.c_str(), &st) == 0) return std::nullopt;
        real = next;
    }
    return real;
}

std::vector<std::string> splitNonEmpty(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : path + "/") {
        if (c != '/') {
            part += c;
        } else if (!part.empty()) {
            parts.push_back(part);
            part.clear();
        }
    }
    return parts;
}

// The roots as the table lists them, resolved independently of the guard.
std::vector<std::string> realRoots(const Locations& l) {
    std::vector<fs::path> roots;
    if (l.layout == JunkLayout::macOS) {
        for (const char* r : {"Library/Caches", "Library/Logs", "Library/Developer", "Library/pnpm", ".Trash",
                              ".npm", ".bun", ".gradle", ".cargo", ".android"})
            roots.push_back(l.home / r);
    } else {
        roots = {l.cacheHome,         l.dataHome / "Trash",
                 l.dataHome / "xorg", l.dataHome / "pnpm",
                 l.home / ".npm",     l.home / ".bun",
                 l.home / ".gradle",  l.home / ".cargo",
                 l.home / ".android", l.home / "Library/Developer",
                 "/var/crash"};
    }
    roots.push_back(l.tempDir);
    std::vector<std::string> real;
    for (const fs::path& root : roots) {
        if (const auto resolved = realFolder(root.native())) real.push_back(*resolved);
    }
    return real;
}

bool strictlyBelow(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

TEST(SafetyGuard, NeverAdmitsAnythingOutsideARoot) {
    const GuardTree g;
    const std::uint64_t seed = propertySeed();
    std::cout << "[ seed     ] BRISKLET_GUARD_SEED=" << seed << std::endl;
    SCOPED_TRACE("BRISKLET_GUARD_SEED=" + std::to_string(seed));
    std::mt19937_64 random(seed);

    const std::string r = g.tree.root().native();
    const std::vector<std::string> bases = {r,
                                            r + "/home",
                                            r + "/home/.cache",
                                            r + "/home/Library",
                                            r + "/home/Library/Caches",
                                            r + "/home/.local/share/Trash",
                                            r + "/tmplink",
                                            r + "/outside",
                                            r + "/home/work",
                                            "/",
                                            "",
                                            "home"};
    const std::vector<std::string> parts = {
        ".",         "..",        "",          "home",    "Library",      "Caches",
        "CachesOld", "Logs",      ".cache",    ".cacheX", ".npm",         "_cacache",
        "app",       "com.x",     "out",       "up",      "loop",         "ping",
        "dangling",  "file.txt",  "missing",   "links",   "intoCaches",   "tmp",
        "tmplink",   "outside",   "elsewhere", "logs",    "work",         ".local",
        "share",     "Trash",     "files",     "back",    "node_modules", "node_modules",
        "metro-1",   "Documents", "x",         ".Trash"};
    const Locations layouts[] = {g.locations(JunkLayout::macOS), g.locations(JunkLayout::freedesktop)};
    const SafetyGuard::Roots guardRoots[] = {SafetyGuard::resolveRoots(layouts[0]),
                                             SafetyGuard::resolveRoots(layouts[1])};
    const std::vector<std::string> oracleRoots[] = {realRoots(layouts[0]), realRoots(layouts[1])};
    const std::string oracleHome = *realFolder(g.home.native());

    std::unordered_map<std::string, std::optional<std::string>> oracle;
    constexpr int kPaths = 100'000;
    int admitted = 0;
    int admittedNodeModules = 0;
    int failures = 0;
    for (int i = 0; i < kPaths && failures < 10; ++i) {
        const int layout = static_cast<int>(random() % 2);
        std::string path;
        path.reserve(256);
        path += bases[random() % bases.size()];
        const int count = static_cast<int>(random() % 8);
        const bool doubled = random() % 16 == 0;
        for (int k = 0; k < count; ++k) {
            path += doubled ? "//" : "/";
            path += parts[random() % parts.size()];
        }
        if (random() % 8 == 0) path += "/";

        const bool allowed = SafetyGuard::admitText(path, guardRoots[layout]).has_value();
        if (i % 500 == 0) {
            EXPECT_EQ(allowed, SafetyGuard::canDelete(path, layouts[layout])) << path;
        }
        if (!allowed) continue;
        ++admitted;

        const std::vector<std::string> pieces = splitNonEmpty(path);
        const auto fail = [&](const char* why) {
            ++failures;
            ADD_FAILURE() << why << ": " << path << " (layout " << layout << ")";
        };
        if (path.empty() || path.front() != '/' || pieces.empty()) {
            fail("admitted a path that is not absolute");
            continue;
        }
        const std::string& name = pieces.back();
        if (name == "." || name == "..") {
            fail("admitted a relational last component");
            continue;
        }
        std::string parent;
        for (std::size_t k = 0; k + 1 < pieces.size(); ++k)
            parent += "/" + pieces[k];
        if (parent.empty()) parent = "/";
        // The fixture does not change while the test runs, and the generated parents repeat a lot.
        auto known = oracle.find(parent);
        if (known == oracle.end()) known = oracle.emplace(parent, realFolder(parent)).first;
        const std::optional<std::string>& realParent = known->second;
        if (!realParent) {
            fail("admitted a path whose parent cannot be resolved");
            continue;
        }
        const std::string real = (*realParent == "/" ? "" : *realParent) + "/" + name;
        bool below = false;
        if (name == "node_modules") {
            ++admittedNodeModules;
            below = strictlyBelow(real, oracleHome);
        } else {
            for (const std::string& root : oracleRoots[layout])
                below = below || strictlyBelow(real, root);
        }
        if (!below) fail("admitted a path outside every root");
    }
    // The property holds vacuously if nothing is admitted: make sure the paths reach the roots.
    EXPECT_GT(admitted, kPaths / 100);
    EXPECT_GT(admittedNodeModules, 0);
}

} // namespace
} // namespace brisklet
