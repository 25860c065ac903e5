// The deletion guard's judgement of a path given as text. Crashes matter less here than wrong answers:
// every admitted path is checked against where it really is, told by realpath(3) independently of the
// guard's own resolving, and so is every refusal of a path that lies below a root.

#include "core/junk/Locations.h"
#include "core/removal/SafetyGuard.h"

#include "FuzzCheck.h"
#include "support/GuardRoots.h"
#include "support/TempTree.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace brisklet;

namespace {

namespace fs = std::filesystem;

struct RealFolder {
    std::string path;
    bool exists = false;
};

// Where a folder given as an absolute path really is: realpath(3) of its longest existing part, then
// the missing rest as text. Nothing when that cannot be told: the rest holds "." or "..", or its
// first component exists after all (a dangling link).
std::optional<RealFolder> realFolder(const std::string& path) {
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

bool strictlyBelow(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() + 1 && path.starts_with(folder) && path[folder.size()] == '/';
}

// A home folder with the roots of both layouts, links into, out of and between them (absolute and
// relative, to "/", up, looping, dangling inside and outside a root), look-alike names, and the
// temporary folder given through a link. Built once; the guard only ever looks at it.
struct Fixture {
    test::TempTree tree;
    std::string root;
    Locations layouts[2];
    SafetyGuard::Roots guardRoots[2];
    std::vector<std::string> oracleRoots[2];
    std::string oracleHome;

    Fixture() {
        for (const char* file :
             {"home/Library/Caches/com.x/data", "home/Library/CachesOld/x", "elsewhere/logs/app.log",
              "home/.cache/app/data", "home/.cache/file.txt", "home/.cacheX/x", "home/Documents/x",
              "home/.local/share/Trash/files/a", "home/.local/share/Trash/info/a.trashinfo",
              "home/.npm/_cacache/x", "home/.cargo/registry/x", "elsewhere/gradle/caches/x",
              "home/work/app/node_modules/x", "outside/node_modules/x", "outside/x", "tmp/metro-1",
              "tmp/node_modules/x", "var/crash/_usr_bin_y.1000.crash"})
            tree.file(file, 1);
        tree.dir("home/.cache/empty");
        for (const auto& [link, target] :
             {std::pair<const char*, std::string>{"home/Library/Logs", tree.path("elsewhere/logs")},
              {"home/links/intoCaches", tree.path("home/Library/Caches")},
              {"home/Library/Caches/out", tree.path("outside")},
              {"home/.cache/dangling", tree.path("nowhere/deeper")},
              {"home/.cache/slash", "/"},
              {"home/.cache/fixture", tree.root().native()},
              {"outside/back", tree.path("home/.cache")},
              {"home/.cache/out", "../../outside"},
              {"home/.cache/up", ".."},
              {"home/.cache/self", "."},
              {"home/.cache/danglingInside", "notYet/deeper"},
              {"home/.cache/loop", "loop"},
              {"home/.cache/ping", "pong"},
              {"home/.cache/pong", "ping"},
              {"home/.cache/chain", "chain2"},
              {"home/.cache/chain2", "app"},
              {"home/.cache/toFile", "file.txt"},
              {"home/.npm/toCache", "../.cache/app"},
              {"home/.npm/toHome", "../"},
              {"home/.gradle", "../elsewhere/gradle"},
              {"home/work/app/node_modules/up", "../.."},
              {"tmplink", "tmp"}})
            tree.symlink(link, target);
        // Link targets around the length the guard first reads them with, and the longest there is.
        for (const std::size_t length : {255, 256, 257, PATH_MAX - 1}) {
            std::string target;
            while (target.size() + 2 + 3 <= length)
                target += "./";
            if (target.size() + 3 < length) target += '/';
            tree.symlink("home/.cache/long" + std::to_string(length), target + "app");
        }
        root = fs::canonical(tree.root()).native();
        oracleHome = realFolder(root + "/home")->path;
        const JunkLayout kinds[2] = {JunkLayout::macOS, JunkLayout::freedesktop};
        for (int layout = 0; layout < 2; ++layout) {
            Locations& l = layouts[layout];
            l = Locations::forHome(tree.path("home"), tree.path("tmplink"), kinds[layout]);
            l.crashDir = tree.path("var/crash");
            guardRoots[layout] = SafetyGuard::resolveRoots(l);
            // The roots as the guard's table lists them, resolved without the guard.
            for (const fs::path& r : test::tableRoots(l))
                oracleRoots[layout].push_back(realFolder(r.native())->path);
            // The guard resolved every root to where it really is, and knows no other.
            auto guardSorted = guardRoots[layout].paths;
            auto oracleSorted = oracleRoots[layout];
            std::sort(guardSorted.begin(), guardSorted.end());
            std::sort(oracleSorted.begin(), oracleSorted.end());
            FUZZ_CHECK(guardSorted == oracleSorted);
        }
    }
};

const Fixture& fixture() {
    static const Fixture f;
    return f;
}

// Judges the path under both layouts; where it really is is told once.
void check(const std::string& text) {
    const Fixture& f = fixture();
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

    for (int layout = 0; layout < 2; ++layout) {
        const auto admitted = SafetyGuard::admitText(text, f.guardRoots[layout]);
        if (admitted) {
            FUZZ_CHECK(plain && nameIsItsOwn && admitted->name == name);
            // The root that admitted the item is one of the roots, and holds the item (only the home
            // folder does, for node_modules).
            const auto& roots = f.guardRoots[layout].paths;
            if (name == "node_modules") {
                FUZZ_CHECK(admitted->root.empty());
            } else {
                FUZZ_CHECK(std::find(roots.begin(), roots.end(), admitted->root) != roots.end());
                FUZZ_CHECK(strictlyBelow(admitted->path(), admitted->root));
            }
            if (realParent) {
                FUZZ_CHECK(admitted->parent == realParent->path);
                FUZZ_CHECK(admitted->parentExists == realParent->exists);
            } else {
                // Only a parent that does not exist can be one realpath(3) cannot tell (a dangling
                // link to a place that may be made later); the guard's answer must then be a real
                // place itself.
                FUZZ_CHECK(!admitted->parentExists);
                const auto itself = realFolder(admitted->parent);
                FUZZ_CHECK(itself && itself->path == admitted->parent);
            }
        }
        // The one guarantee: nothing is admitted that is not strictly below a root (below home, for
        // node_modules); and nothing that is gets refused.
        const std::string parent = admitted     ? admitted->parent
                                   : realParent ? realParent->path
                                                : std::string();
        if (parent.empty()) continue;
        const std::string item = (parent == "/" ? "" : parent) + "/" + name;
        bool belowRoot = false;
        if (name == "node_modules") {
            belowRoot = strictlyBelow(item, f.oracleHome);
        } else {
            for (const std::string& root : f.oracleRoots[layout])
                belowRoot = belowRoot || strictlyBelow(item, root);
        }
        if (admitted) FUZZ_CHECK(belowRoot);
        if (!admitted && realParent) FUZZ_CHECK(!belowRoot);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const Fixture& f = fixture();
    // A relative path is never admitted. An absolute one is taken inside the fixture, so that the
    // fuzzer explores the links there rather than the real file system (which ".." and the links to
    // "/" still reach, for looking only).
    if (!input.starts_with('/')) {
        FUZZ_CHECK(!SafetyGuard::admitText(input, f.guardRoots[0]));
        FUZZ_CHECK(!SafetyGuard::admitText(input, f.guardRoots[1]));
    }
    const std::string text = f.root + (input.starts_with('/') ? "" : "/") + std::string(input);
    check(text);
    return 0;
}
