#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <utility>
#include <vector>

namespace brisklet {

// A folder known by what it is (device and inode), not by how a path spells it.
struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    bool operator==(const FileId&) const = default;
};

inline FileId idOf(const struct stat& st) {
    return FileId{st.st_dev, st.st_ino};
}

// Whether a reopened descriptor is the folder the walk passed before: the same device and inode.
struct SameFileId {
    template <class Frame> bool operator()(int fd, const Frame& frame) const {
        struct stat st {};
        return ::fstat(fd, &st) == 0 && idOf(st) == frame.id;
    }
};

// The descriptors of a depth-first walk's folders, from its root (index 0, always held) down to the
// folder it is in. One descriptor per level would exhaust the process's limit on deep trees, and
// walks run several at a time beside other work, so at most `limit` are held: the shallowest are
// closed and reopened by name from their nearest held ancestor when the walk climbs back to them,
// each checked by `isWalked(fd, frame)` to be the very folder walked before. `Frame` has `int fd` (-1
// while closed); `nameOf(index)` gives that folder's own name in its parent.
template <class Frame, class NameOf, class IsWalked = SameFileId> class HeldFolders {
public:
    HeldFolders(std::vector<Frame>& stack, std::size_t limit, int openFlags, NameOf nameOf,
                IsWalked isWalked = {})
        : m_stack(stack), m_limit(limit), m_openFlags(openFlags), m_nameOf(std::move(nameOf)),
          m_isWalked(std::move(isWalked)) {}

    // The frame just pushed holds an open descriptor.
    void pushed() {
        ++m_held;
        releaseExcess();
    }

    // Closes the descriptor of a frame about to be popped.
    void leaving(Frame& frame) {
        if (frame.fd < 0) return;
        ::close(frame.fd);
        frame.fd = -1;
        --m_held;
    }

    // Opens a subfolder of m_stack[parent]. When the process runs out of descriptors, gives up
    // ancestors' descriptors (they can be reopened) rather than the subfolder.
    int openBelow(std::size_t parent, const char* name) {
        for (;;) {
            const int fd = ::openat(m_stack[parent].fd, name, m_openFlags);
            if (fd >= 0 || (errno != EMFILE && errno != ENFILE) || !releaseShallowest(parent)) return fd;
        }
    }

    // Reopens m_stack[target] from its nearest held ancestor. False when a folder on the way was
    // renamed, removed or replaced since the walk passed it.
    bool reopen(std::size_t target) {
        std::size_t anchor = target;
        while (m_stack[anchor].fd < 0)
            --anchor;
        for (std::size_t i = anchor + 1; i <= target; ++i) {
            const int fd = openBelow(i - 1, m_nameOf(i));
            if (fd < 0) return false;
            if (!m_isWalked(fd, m_stack[i])) {
                ::close(fd);
                return false;
            }
            m_stack[i].fd = fd;
            ++m_held;
            // Only the deepest folders of the way stay open, so the way back up finds them held.
            while (m_held > m_limit && releaseShallowest(i)) {
            }
        }
        return true;
    }

private:
    // Closes the descriptor of the shallowest held folder strictly between the root and `keep`.
    bool releaseShallowest(std::size_t keep) {
        for (std::size_t i = 1; i < keep; ++i) {
            if (m_stack[i].fd >= 0) {
                ::close(m_stack[i].fd);
                m_stack[i].fd = -1;
                --m_held;
                return true;
            }
        }
        return false;
    }

    void releaseExcess() {
        while (m_held > m_limit && releaseShallowest(m_stack.size() - 1)) {
        }
    }

    std::vector<Frame>& m_stack;
    const std::size_t m_limit;
    const int m_openFlags;
    NameOf m_nameOf;
    IsWalked m_isWalked;
    std::size_t m_held = 0;
};

} // namespace brisklet
