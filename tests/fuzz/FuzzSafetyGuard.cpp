// The deletion guard's judgement of a path given as text. Crashes matter less here than wrong answers:
// every admitted path is checked against where it really is, told by realpath(3) independently of the
// guard's own resolving, and so is every refusal of a path that lies below a root.

#include "core/junk/Locations.h"
#include "core/removal/SafetyGuard.h"

#include "FuzzCheck.h"
#include "support/GuardRoots.h"

namespace {

namespace fs = std::filesystem;

using test::realFolder;
using test::strictlyBelow;

// The shared guard home, built once; the guard only ever looks at it.
struct Fixture {
    test::GuardHome home;
    std::string root = fs::canonical(home.tree.root()).native();
    Locations layouts[2] = {home.locations(JunkLayout::macOS), home.locations(JunkLayout::freedesktop)};
    SafetyGuard::Roots guardRoots[2];
    std::vector<std::string> oracleRoots[2];
    std::string oracleHome = realFolder(root + "/home")->path;

    Fixture() {
        for (int layout = 0; layout < 2; ++layout) {
            guardRoots[layout] = SafetyGuard::resolveRoots(layouts[layout]);
            for (const fs::path& r : test::tableRoots(layouts[layout]))
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

FUZZ_TEXT_HARNESS(input) {
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
}
