#pragma once

#include <cstdint>
#include <filesystem>

namespace brisklet::test {

// The on-disk size of a tree measured the textbook way, with fts (physical, same device, no
// change of directory, hard links once): the figure FileSize::onDisk must agree with.
std::int64_t ftsOnDisk(const std::filesystem::path& root);

} // namespace brisklet::test
