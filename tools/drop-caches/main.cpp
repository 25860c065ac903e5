// brisklet-drop-caches: flushes dirty pages to disk, then asks the kernel to drop its clean page
// cache. It runs as root through pkexec, so it trusts nothing it is given: no environment, no
// paths, one fixed file written, one fixed argument accepted. Whatever it writes to standard error
// is shown to the user as the reason a purge failed, so every message is a plain sentence.
//
// Exit status: 0 done; 1 refused or failed; 2 wrong usage (nothing was touched).

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kAction = "pagecache";
constexpr const char* kDropCaches = "/proc/sys/vm/drop_caches";
// "1" drops the page cache only; dentries and inodes stay, so the system does not stall refilling them.
constexpr char kPageCacheOnly[] = "1";

int fail(const char* what) {
    std::fprintf(stderr, "%s: %s\n", what, std::strerror(errno));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], kAction) != 0) {
        std::fprintf(stderr, "Usage: brisklet-drop-caches %s\n", kAction);
        return 2;
    }
    if (::geteuid() != 0) {
        std::fprintf(stderr, "Clearing inactive memory needs administrator rights.\n");
        return 1;
    }

    // Dirty pages cannot be dropped; writing them out first lets the drop reach them.
    ::sync();

    const int fd = ::open(kDropCaches, O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return fail("Couldn't open /proc/sys/vm/drop_caches");
    const ssize_t written = ::write(fd, kPageCacheOnly, sizeof kPageCacheOnly - 1);
    const int writeError = errno;
    if (::close(fd) != 0 && written >= 0) return fail("Couldn't write /proc/sys/vm/drop_caches");
    if (written != static_cast<ssize_t>(sizeof kPageCacheOnly - 1)) {
        errno = written < 0 ? writeError : EIO;
        return fail("Couldn't write /proc/sys/vm/drop_caches");
    }
    return 0;
}
