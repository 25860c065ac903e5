#pragma once

#include "core/removal/SafetyGuard.h"
#include "support/GuardRoots.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace brisklet::test {

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
