#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace brisklet {

// A folder's direct children, by name, in the order the file system lists them (unsorted).
// `error` is 0 on success, else the errno of the failure, so callers can tell a missing
// folder (ENOENT) from one they may not read.
struct DirectoryListing {
    std::vector<std::string> names;
    int error = 0;
};

enum class HiddenEntries { include, skip };

DirectoryListing listDirectory(const std::filesystem::path& folder, HiddenEntries hidden);

} // namespace brisklet
