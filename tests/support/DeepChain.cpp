#include "support/DeepChain.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace brisklet::test {

namespace {

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// Makes (if needed) and opens the folder `name` in `fd`, closing `fd`.
int descend(int fd, const std::string& name) {
    ::mkdirat(fd, name.c_str(), 0755);
    const int next = ::openat(fd, name.c_str(), kOpenFolder);
    ::close(fd);
    if (next < 0) throw std::runtime_error("cannot make the deep folder " + name);
    return next;
}

} // namespace

DeepChain::DeepChain(const std::filesystem::path& top, int levels) : m_fd(::open(top.c_str(), kOpenFolder)) {
    if (m_fd < 0) throw std::runtime_error("cannot open " + top.string());
    std::string path = top.native();
    for (int level = 0; level < levels; ++level) {
        const std::string name = "level-" + std::to_string(100'000'000 + level);
        m_fd = descend(m_fd, name);
        path += "/" + name;
    }
    m_bottom = std::filesystem::path(std::move(path));
}

DeepChain::~DeepChain() {
    if (m_fd >= 0) ::close(m_fd);
}

std::int64_t DeepChain::file(const std::filesystem::path& relative, std::size_t size) {
    int fd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    for (const std::filesystem::path& part : relative.parent_path())
        fd = descend(fd, part.native());
    const int out = ::openat(fd, relative.filename().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ::close(fd);
    if (out < 0) throw std::runtime_error("cannot write " + relative.string());
    const std::vector<char> data(size, 'x');
    const bool written = ::write(out, data.data(), data.size()) == static_cast<ssize_t>(data.size());
    struct stat st {};
    const bool known = ::fstat(out, &st) == 0;
    ::close(out);
    if (!written || !known) throw std::runtime_error("cannot write " + relative.string());
    return static_cast<std::int64_t>(st.st_blocks) * 512;
}

} // namespace brisklet::test
