#pragma once

#include "core/junk/Locations.h"
#include "support/TempTree.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
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

} // namespace brisklet::test
