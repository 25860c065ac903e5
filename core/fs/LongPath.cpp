#include "core/fs/LongPath.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>

namespace brisklet {

int openParentOfLongPath(std::string_view path, std::string& last) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return -1; // one name longer than a name may be
    last = std::string(path.substr(slash + 1));
    std::string_view parent = path.substr(0, slash + 1);
    int fd = AT_FDCWD;
    char piece[PATH_MAX];
    while (!parent.empty()) {
        // The longest run of whole components that fits; a name is far shorter than PATH_MAX, so
        // there always is one unless the path is not made of names.
        std::size_t cut = parent.size();
        if (cut >= PATH_MAX) {
            const std::size_t lastSlash = parent.rfind('/', PATH_MAX - 2);
            cut = lastSlash == std::string_view::npos ? 0 : lastSlash + 1;
        }
        std::copy_n(parent.data(), cut, piece);
        piece[cut] = '\0';
        const int next = cut == 0 ? -1 : ::openat(fd, piece, O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd != AT_FDCWD) ::close(fd);
        if (next < 0) return -1;
        fd = next;
        parent.remove_prefix(cut);
    }
    return fd;
}

} // namespace brisklet
