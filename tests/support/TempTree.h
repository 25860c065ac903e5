#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace brisklet::test {

// A fixture tree in a fresh temporary folder, removed with the object (names that are not valid
// UTF-8 included, which QTemporaryDir leaves behind). Paths given to the helpers are relative to
// the root; parent folders are created as needed.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& root() const { return m_root; }
    std::filesystem::path path(std::string_view relative) const;

    std::filesystem::path dir(std::string_view relative);
    // A regular file holding `size` bytes of data (allocated, not sparse).
    std::filesystem::path file(std::string_view relative, std::size_t size = 0);
    std::filesystem::path text(std::string_view relative, std::string_view contents);
    // A file of logical length `length` with nothing allocated.
    std::filesystem::path sparse(std::string_view relative, std::int64_t length);
    std::filesystem::path symlink(std::string_view relative, const std::filesystem::path& target);
    std::filesystem::path hardlink(std::string_view relative, const std::filesystem::path& existing);
    void fifo(std::string_view relative);

    // Makes the entries a manifest describes, one a line, so a fixture reads as the tree it is:
    //   a/b/          a folder           a/b 5000       a file of 5000 bytes (10 when no size is given)
    //   a/b = text    a file holding text, with \n and \t for newline and tab
    //   a/b -> t      a symbolic link    a/b => c       a hard link to c    a/b ~ 4096   a sparse file
    //   a/b |         a fifo
    // A target or hard link beginning with "@" is taken below the root. "{x,y}" in a path makes one
    // entry for each choice.
    void build(std::string_view manifest);

    // Bytes the file system allocated for this one entry (lstat, st_blocks × 512).
    static std::int64_t allocated(const std::filesystem::path& p);

private:
    std::filesystem::path m_root;
};

} // namespace brisklet::test
