#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace brisklet::test {

// A chain of folders below an existing folder, made relative to folder descriptors so that it can
// reach deeper than any path may be long (16 bytes a level: 300 levels pass PATH_MAX). The bottom
// folder stays open for the fixture to fill; TempTree removes the chain with the rest.
class DeepChain {
public:
    DeepChain(const std::filesystem::path& top, int levels);
    ~DeepChain();
    DeepChain(const DeepChain&) = delete;
    DeepChain& operator=(const DeepChain&) = delete;

    // The bottom folder's path, longer than PATH_MAX when the chain is deep enough.
    const std::filesystem::path& bottom() const { return m_bottom; }
    // Writes a file of `size` bytes at `relative` below the bottom (folders made as needed) and
    // returns the bytes the file system allocated for it.
    std::int64_t file(const std::filesystem::path& relative, std::size_t size);

private:
    int m_fd = -1;
    std::filesystem::path m_bottom;
};

} // namespace brisklet::test
