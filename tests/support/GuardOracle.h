#pragma once

#include "core/junk/Locations.h"
#include "core/removal/SafetyGuard.h"
#include "support/TempTree.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brisklet::test {

// The deletion roots as the guard's table lists them, unresolved: the oracle the guard's tests and
// its fuzz harness resolve on their own, to check the guard against.
inline std::vector<std::filesystem::path> tableRoots(const Locations& l) {
    std::vector<std::filesystem::path> roots = {l.tempDir};
    for (const char* r : {".npm", ".bun", ".gradle", ".cargo", ".android", "Library/Developer"})
        roots.push_back(l.home / r);
    if (l.layout == JunkLayout::macOS) {
        for (const char* r : {"Library/Caches", "Library/Logs", "Library/pnpm", ".Trash"})
            roots.push_back(l.home / r);
    } else {
        roots.insert(roots.end(), {l.cacheHome, l.dataHome / "Trash", l.dataHome / "xorg",
                                   l.dataHome / "pnpm", l.crashDir});
    }
    return roots;
}

struct RealFolder {
    std::string path;
    bool exists = false;
};

// Where a folder given as an absolute path really is, told independently of the guard: realpath(3)
// of its longest existing part, then the missing rest as text. Nothing when that cannot be told: the
// rest holds "." or "..", or its first component exists after all (a dangling link, a loop).
inline std::optional<RealFolder> realFolder(const std::string& path) {
    char buffer[PATH_MAX];
    std::string existing = path;
    std::vector<std::string> missing; // last component first
    while (::realpath(existing.c_str(), buffer) == nullptr) {
        if (errno != ENOENT || existing == "/") return std::nullopt;
        const std::size_t slash = existing.rfind('/');
        if (slash + 1 < existing.size()) missing.push_back(existing.substr(slash + 1));
        existing = slash == 0 ? "/" : existing.substr(0, slash);
    }
    RealFolder real{buffer, missing.empty()};
    for (auto part = missing.rbegin(); part != missing.rend(); ++part) {
        if (*part == "." || *part == "..") return std::nullopt;
        const std::string next = (real.path == "/" ? "" : real.path) + "/" + *part;
        struct stat st {};
        if (part == missing.rbegin() && ::lstat(next.c_str(), &st) == 0) return std::nullopt;
        real.path = next;
    }
    // The kernel takes no longer path, and neither does the guard.
    if (real.path.size() >= PATH_MAX) return std::nullopt;
    return real;
}

inline bool strictlyBelow(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() + 1 && path.starts_with(folder) && path[folder.size()] == '/';
}

// A home folder with the roots of both layouts, links into, out of and between them (absolute and
// relative, to "/", up, looping, dangling inside and outside a root), look-alike names, and the
// temporary folder given through a link.
struct GuardHome {
    TempTree tree;
    std::filesystem::path home = tree.path("home");

    GuardHome() {
        tree.build(R"(
            home/Library/{Caches/com.x/data,CachesOld/x}
            home/.cache/{app/data,file.txt,empty/}
            home/{.cacheX/x,Documents/x,.npm/_cacache/x,.cargo/registry/x,work/app/node_modules/x}
            home/.local/share/Trash/{files/a,info/a.trashinfo}
            elsewhere/{logs/app.log,gradle/caches/x}
            outside/{node_modules/x,x}
            tmp/{metro-1,node_modules/x}
            var/crash/_usr_bin_y.1000.crash
            home/Library/Logs -> @elsewhere/logs
            home/links/intoCaches -> @home/Library/Caches
            home/Library/Caches/out -> @outside
            home/.cache/dangling -> @nowhere/deeper
            home/.cache/slash -> /
            home/.cache/fixture -> @
            outside/back -> @home/.cache
            home/.cache/out -> ../../outside
            home/.cache/up -> ..
            home/.cache/self -> .
            home/.cache/danglingInside -> notYet/deeper
            home/.cache/loop -> loop
            home/.cache/ping -> pong
            home/.cache/pong -> ping
            home/.cache/chain -> chain2
            home/.cache/chain2 -> app
            home/.cache/toFile -> file.txt
            home/.npm/toCache -> ../.cache/app
            home/.npm/toHome -> ../
            home/.gradle -> ../elsewhere/gradle
            home/work/app/node_modules/up -> ../..
            tmplink -> tmp)");
        // Link targets around the lengths the guard reads them with, and the longest there is.
        for (const std::size_t length : {200, 255, 256, 257, 511, 512, 513, 1500, PATH_MAX - 1}) {
            std::string target;
            while (target.size() + 2 + 3 <= length)
                target += "./";
            if (target.size() + 3 < length) target += '/';
            tree.symlink("home/.cache/long" + std::to_string(length), target + "app");
        }
    }

    Locations locations(JunkLayout layout) const {
        Locations l = Locations::forHome(home, tree.path("tmplink"), layout);
        l.crashDir = tree.path("var/crash");
        return l;
    }
};

// The guard's judgement of a path, checked against where the path really is (told by realpath(3),
// independently of the guard's own resolving) on a GuardHome: nothing is admitted that is not
// strictly below a root (below home, for node_modules), nothing that is gets refused, and an
// admitted item names the real place. Shared by the guard's property test and its fuzz harness.
class GuardOracle {
public:
    explicit GuardOracle(const GuardHome& home)
        : root(std::filesystem::canonical(home.tree.root()).native()) {
        const JunkLayout kinds[2] = {JunkLayout::macOS, JunkLayout::freedesktop};
        oracleHome = realFolder(root + "/home")->path;
        for (int layout = 0; layout < 2; ++layout) {
            layouts[layout] = home.locations(kinds[layout]);
            guardRoots[layout] = SafetyGuard::resolveRoots(layouts[layout]);
            for (const std::filesystem::path& r : tableRoots(layouts[layout]))
                oracleRoots[layout].push_back(realFolder(r.native())->path);
        }
    }

    // Whether the guard resolved every root to where it really is, and knows no other.
    bool rootsAgree(int layout) const {
        auto guardSorted = guardRoots[layout].paths;
        auto oracleSorted = oracleRoots[layout];
        std::sort(guardSorted.begin(), guardSorted.end());
        std::sort(oracleSorted.begin(), oracleSorted.end());
        return guardSorted == oracleSorted;
    }

    // What is wrong with the guard's answer for `text` under a layout; empty when nothing is.
    std::string problem(const std::string& text, int layout) const {
        std::string_view trimmed = text;
        while (trimmed.size() > 1 && trimmed.back() == '/')
            trimmed.remove_suffix(1);
        const std::size_t slash = trimmed.rfind('/');
        const std::string name(slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1));
        const bool nameIsItsOwn = !name.empty() && name != "." && name != "..";
        // realpath(3) reads a NUL as the end of the path; the guard refuses such a path outright.
        const bool plain = text.starts_with('/') && text.find('\0') == std::string::npos;
        const std::string parentText(trimmed.substr(0, slash == std::string_view::npos ? 0 : slash + 1));
        const auto realParent = plain && nameIsItsOwn ? realFolder(parentText) : std::nullopt;

        const auto admitted = SafetyGuard::admitText(text, guardRoots[layout]);
        if (admitted) {
            if (!plain || !nameIsItsOwn || admitted->name != name)
                return "admitted a path that names no item";
            // The root that admitted the item is one of the roots, and holds the item (only the home
            // folder does, for node_modules).
            const auto& roots = guardRoots[layout].paths;
            if (name == "node_modules"
                    ? !admitted->root.empty()
                    : std::find(roots.begin(), roots.end(), admitted->root) == roots.end() ||
                          !strictlyBelow(admitted->path(), admitted->root))
                return "admitted by a root that does not hold it";
            if (realParent &&
                (admitted->parent != realParent->path || admitted->parentExists != realParent->exists))
                return "admitted with a parent other than the real one";
            // Only a parent that does not exist can be one realpath(3) cannot tell (a dangling link to
            // a place that may be made later); the guard's answer must then be a real place itself.
            const auto itself = realParent ? realParent : realFolder(admitted->parent);
            if (!realParent && (admitted->parentExists || !itself || itself->path != admitted->parent))
                return "admitted below a parent that is no real place";
        }
        const std::string parent = admitted     ? admitted->parent
                                   : realParent ? realParent->path
                                                : std::string();
        if (parent.empty()) return {};
        const std::string item = (parent == "/" ? "" : parent) + "/" + name;
        bool belowRoot = name == "node_modules" && strictlyBelow(item, oracleHome);
        for (const std::string& r : oracleRoots[layout])
            belowRoot = belowRoot || (name != "node_modules" && strictlyBelow(item, r));
        if (admitted && !belowRoot) return "admitted outside every root";
        if (!admitted && realParent && belowRoot) return "refused an item below a root";
        return {};
    }

    std::string root;
    std::string oracleHome;
    Locations layouts[2];
    SafetyGuard::Roots guardRoots[2];
    std::vector<std::string> oracleRoots[2];
};

} // namespace brisklet::test
