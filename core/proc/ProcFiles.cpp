#include "core/proc/ProcFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace brisklet::ProcFiles {

std::optional<std::string_view> readAt(int dirFd, const char* name, std::span<char> buffer,
                                       std::string& overflow) {
    const Descriptor fd(::openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd) return std::nullopt;
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        const ssize_t n = ::read(fd.get(), buffer.data() + filled, buffer.size() - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) return std::string_view(buffer.data(), filled);
        filled += static_cast<std::size_t>(n);
    }
    overflow.assign(buffer.data(), filled);
    for (;;) {
        const std::size_t before = overflow.size();
        overflow.resize(before + buffer.size());
        const ssize_t n = ::read(fd.get(), overflow.data() + before, buffer.size());
        if (n < 0 && errno == EINTR) {
            overflow.resize(before);
            continue;
        }
        if (n < 0) return std::nullopt;
        overflow.resize(before + static_cast<std::size_t>(n));
        if (n == 0) return std::string_view(overflow);
    }
}

std::optional<std::string> readLinkAt(int dirFd, const char* name) {
    std::array<char, 4096> buffer;
    const ssize_t n = ::readlinkat(dirFd, name, buffer.data(), buffer.size());
    if (n < 0) return std::nullopt;
    if (static_cast<std::size_t>(n) < buffer.size())
        return std::string(buffer.data(), static_cast<std::size_t>(n));
    // readlink truncates silently; grow until the target fits.
    std::string target(buffer.size() * 2, '\0');
    for (;;) {
        const ssize_t m = ::readlinkat(dirFd, name, target.data(), target.size());
        if (m < 0) return std::nullopt;
        if (static_cast<std::size_t>(m) < target.size()) {
            target.resize(static_cast<std::size_t>(m));
            return target;
        }
        if (target.size() >= (std::size_t{1} << 20)) return std::nullopt;
        target.resize(target.size() * 2);
    }
}

} // namespace brisklet::ProcFiles
