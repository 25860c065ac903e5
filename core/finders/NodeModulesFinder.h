#pragma once

#include "core/fs/DirectoryWalk.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

class QThreadPool;

namespace brisklet {

// One JavaScript dependency folder that belongs to a project.
struct NodeModulesFolder {
    std::filesystem::path url;
    std::int64_t size = 0; // bytes on disk, always > 0 in search results
    std::optional<std::chrono::system_clock::time_point> lastTouched;

    const std::filesystem::path& id() const { return url; }
    // The folder that holds the node_modules folder.
    std::filesystem::path project() const { return url.parent_path(); }

    bool operator==(const NodeModulesFolder&) const = default;
};

namespace NodeModulesFinder {

// Every node_modules folder below `root` that has a package.json beside it, largest first (ties in
// the order the walk found them), each measured with FileSize::onDisk and dated with lastTouched().
// Never entered: node_modules folders themselves (so nested ones are never reported), hidden
// folders, packages, "Pods", "DerivedData" and `home`/Library; the root itself is always searched.
// Symbolic links below the root are never followed. An unreadable root gives an empty list.
// The measuring runs on `pool`, which must not be the pool the caller itself runs on.
std::vector<NodeModulesFolder> find(const std::filesystem::path& root, const std::filesystem::path& home);
std::vector<NodeModulesFolder> find(const std::filesystem::path& root, const std::filesystem::path& home,
                                    QThreadPool& pool, const PackageTest& isPackage = {});

// The newest modification date among the project's direct children, hidden ones included, leaving
// out its node_modules and any .DS_Store; none when nothing can be dated. A child that is a
// symbolic link is dated by the link itself: the date must say when the project was touched, not
// whatever the link points to.
std::optional<std::chrono::system_clock::time_point> lastTouched(const std::filesystem::path& project);

} // namespace NodeModulesFinder

} // namespace brisklet
