#pragma once

#include <cstdint>
#include <filesystem>

namespace brisklet::FileSize {

// Bytes the file system has allocated for `path`: a single entry's own blocks, or for a folder the
// blocks of everything below it that is not itself a folder. The walk stays on the folder's file
// system, never follows symbolic links (not even `path` itself), counts a file with several hard
// links once, and passes over whatever it cannot read. A missing path measures 0. Safe to call
// from several threads at once: it never changes the working directory.
std::int64_t onDisk(const std::filesystem::path& path);

} // namespace brisklet::FileSize
