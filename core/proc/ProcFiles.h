#pragma once

#include "core/fs/Descriptor.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

// Reading the kernel's per-process files relative to an open folder: one path lookup fewer per
// file, and every file of a process folder opened this way describes the same process even when
// its identifier is reused in the middle of the reading.
namespace brisklet::ProcFiles {

// The whole file `name` below `dirFd`. Proc files are read in one go into `buffer`; only files
// that outgrow it (a long command line, a status with thousands of groups) spill into `overflow`.
// The view points into whichever of the two holds the text, until the next read into them.
std::optional<std::string_view> readAt(int dirFd, const char* name, std::span<char> buffer,
                                       std::string& overflow);

// Target of the symbolic link `name` below `dirFd`; nothing when it cannot be read.
std::optional<std::string> readLinkAt(int dirFd, const char* name);

} // namespace brisklet::ProcFiles
