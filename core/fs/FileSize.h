#pragma once

#include <cstdint>
#include <filesystem>

class QThreadPool;

namespace brisklet::FileSize {

// Bytes the file system has allocated for `path`: a single entry's own blocks, or for a folder the
// blocks of everything below it that is not itself a folder. The walk stays on the folder's own
// mount (a bind mount inside it is another mount, even from the same file system), never follows
// symbolic links (not even `path` itself), counts a file with several hard links once, and passes
// over whatever it cannot read. A missing path measures 0; a path longer than PATH_MAX is measured
// all the same. Safe to call from several threads at once: it never changes the working directory.
//
// A folder that proves large is split: its subfolders are handed to idle threads of `helpers` (by
// default the measuring pool), which may be the very pool the caller runs on. The caller walks too
// and waits only for helpers that actually started, so it never waits for a free thread.
std::int64_t onDisk(const std::filesystem::path& path);
std::int64_t onDisk(const std::filesystem::path& path, QThreadPool& helpers);

} // namespace brisklet::FileSize
