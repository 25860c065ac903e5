#pragma once

#include "support/TempTree.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

namespace brisklet::test {

// What removal tests ask of a tree after the fact: whether an entry (a dangling link too) is there,
// what a folder holds, and whether descriptors leaked.
inline bool present(const std::filesystem::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

inline std::size_t entryCount(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    return std::distance(fs::recursive_directory_iterator(folder), fs::recursive_directory_iterator());
}

inline std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::size_t openDescriptors() {
    namespace fs = std::filesystem;
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
}

inline std::int64_t sumAllocated(const std::vector<std::filesystem::path>& entries) {
    std::int64_t total = 0;
    for (const std::filesystem::path& p : entries)
        total += TempTree::allocated(p);
    return total;
}

} // namespace brisklet::test
