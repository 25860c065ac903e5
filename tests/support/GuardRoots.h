#pragma once

#include "core/junk/Locations.h"

#include <filesystem>
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

} // namespace brisklet::test
