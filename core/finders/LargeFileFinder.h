#pragma once

#include "core/fs/DirectoryWalk.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QThreadPool;

namespace brisklet {

// One large file, or a package measured whole.
struct LargeFile {
    std::filesystem::path url;
    std::int64_t size = 0; // bytes allocated on disk
    std::optional<std::chrono::system_clock::time_point> modified;

    const std::filesystem::path& id() const { return url; }

    bool operator==(const LargeFile&) const = default;
};

namespace LargeFileFinder {

// Folders with these extensions are media libraries the user manages through their applications,
// never file by file: they are neither listed nor searched.
const std::set<std::string, std::less<>>& skippedPackages();

// The regular files below `root` that take at least `minSize` bytes on disk (allocated blocks, so a
// sparse file counts for what it really holds), largest first, ties in the order the walk met them,
// cut to the first `limit` (none when `limit` is 0 or less). Packages count as one file measured
// whole. Never entered: hidden folders, node_modules folders, `home`/Library and the media
// libraries; the root itself is always searched. Symbolic links below the root are neither listed
// nor followed. An unreadable root gives an empty list. Holds no state: any thread may call it.
// The root's subfolders are walked in parallel on `pool` (which must not be the pool the caller
// runs on; `isPackage` may be called from several of its threads at once); the result is the same
// as one walk's.
std::vector<LargeFile> find(const std::filesystem::path& root, std::int64_t minSize, int limit,
                            const std::filesystem::path& home, const PackageTest& isPackage = {});
std::vector<LargeFile> find(const std::filesystem::path& root, std::int64_t minSize, int limit,
                            const std::filesystem::path& home, QThreadPool& pool,
                            const PackageTest& isPackage = {});

} // namespace LargeFileFinder

} // namespace brisklet
