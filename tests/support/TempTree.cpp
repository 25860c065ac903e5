#include "support/TempTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace brisklet::test {

namespace fs = std::filesystem;

TempTree::TempTree() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brisklet-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    m_root = fs::path(pattern);
}

TempTree::~TempTree() {
    // Tests make folders unreadable; give them back so the tree can be removed.
    std::error_code ec;
    ::chmod(m_root.c_str(), 0700);
    for (auto it =
             fs::recursive_directory_iterator(m_root, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            ::chmod(it->path().c_str(), 0700);
        }
    }
    fs::remove_all(m_root, ec);
}

fs::path TempTree::path(std::string_view relative) const {
    return m_root / fs::path(relative);
}

fs::path TempTree::dir(std::string_view relative) {
    const fs::path p = path(relative);
    fs::create_directories(p);
    return p;
}

fs::path TempTree::file(std::string_view relative, std::size_t size) {
    const fs::path p = path(relative);
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    const std::vector<char> chunk(64 * 1024, 'x');
    while (size > 0) {
        const std::size_t n = std::min(size, chunk.size());
        out.write(chunk.data(), static_cast<std::streamsize>(n));
        size -= n;
    }
    out.close();
    if (!out) throw std::runtime_error("cannot write " + p.string());
    return p;
}

fs::path TempTree::text(std::string_view relative, std::string_view contents) {
    const fs::path p = path(relative);
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + p.string());
    return p;
}

fs::path TempTree::sparse(std::string_view relative, std::int64_t length) {
    const fs::path p = path(relative);
    fs::create_directories(p.parent_path());
    const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::ftruncate(fd, length) != 0)
        throw std::runtime_error("cannot make sparse file " + p.string());
    ::close(fd);
    return p;
}

fs::path TempTree::symlink(std::string_view relative, const fs::path& target) {
    const fs::path p = path(relative);
    fs::create_directories(p.parent_path());
    fs::create_symlink(target, p);
    return p;
}

fs::path TempTree::hardlink(std::string_view relative, const fs::path& existing) {
    const fs::path p = path(relative);
    fs::create_directories(p.parent_path());
    fs::create_hard_link(existing, p);
    return p;
}

std::int64_t TempTree::allocated(const fs::path& p) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_blocks) * 512;
}

} // namespace brisklet::test
