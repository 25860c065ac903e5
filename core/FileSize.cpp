#include "core/FileSize.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace brisklet::FileSize {

namespace {

// Callers measure many items at once on a pool of threads, so one walk keeps only a small share of
// the process's descriptor limit: folders deeper than this are walked with the descriptors of their
// shallower ancestors closed, and those are reopened on the way back up.
constexpr std::size_t kHeldDirectories = 24;

// Large enough that a folder of a few thousand entries costs one or two getdents64 calls.
constexpr std::size_t kDirentBufferSize = 64 * 1024;

// O_NOFOLLOW and O_DIRECTORY make the open itself refuse anything that turned into a link or a
// non-folder since we looked at it, so a swapped entry can never lead the walk elsewhere.
constexpr int kOpenDirectory = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

struct FileId {
    dev_t dev;
    ino_t ino;
    bool operator==(const FileId&) const = default;
};

struct FileIdHash {
    std::size_t operator()(const FileId& id) const noexcept {
        return static_cast<std::size_t>(id.ino ^
                                        (static_cast<std::uint64_t>(id.dev) * 0x9E3779B97F4A7C15ULL));
    }
};

FileId idOf(const struct stat& st) {
    return FileId{st.st_dev, st.st_ino};
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// A depth-first walk relative to folder descriptors. Each folder is read completely while its
// descriptor is open: every entry is stat'ed once (its blocks if it counts, its identity if it is a
// folder), and subfolders are queued by name to be opened from the parent's descriptor later. The
// result is the same as an fts walk with FTS_PHYSICAL | FTS_NOCHDIR | FTS_XDEV that counts the
// non-folder entries, without building a path string for every entry and without a PATH_MAX limit.
class Walk {
public:
    Walk() = default;
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;
    ~Walk() {
        for (const Frame& frame : m_stack) {
            if (frame.fd >= 0) ::close(frame.fd);
        }
    }

    std::int64_t total() const { return m_total; }

    void run(const char* root) {
        struct stat st {};
        if (::lstat(root, &st) != 0) return;
        if (!S_ISDIR(st.st_mode)) {
            count(st);
            return;
        }
        m_buffer = std::make_unique<char[]>(kDirentBufferSize);
        const int fd = ::open(root, kOpenDirectory);
        if (fd < 0) return;
        m_rootDev = st.st_dev;
        m_stack.push_back(Frame{fd, idOf(st), 0, 0});
        m_held = 1;
        scan(fd);

        while (!m_stack.empty()) {
            const std::size_t top = m_stack.size() - 1;
            if (m_pending.size() == m_stack[top].pendingBase) {
                leave();
                continue;
            }
            if (m_stack[top].fd < 0 && !reopen(top)) {
                // The folder was renamed or removed while we were below it: what is left of it
                // can no longer be reached from here.
                m_pending.resize(m_stack[top].pendingBase);
                continue;
            }
            const Pending next = m_pending.back();
            m_pending.pop_back();
            const int child = openBelow(top, m_names.data() + next.nameStart);
            if (child < 0) {
                m_names.resize(next.nameStart);
                continue;
            }
            m_stack.push_back(Frame{child, next.id, next.nameStart, m_pending.size()});
            ++m_held;
            releaseExcess();
            scan(child);
        }
    }

private:
    // A folder on the path from the root to where the walk is now.
    struct Frame {
        int fd; // -1 while closed to stay within kHeldDirectories
        FileId id;
        std::size_t nameStart;   // its own name in m_names, kept to reopen it from its parent
        std::size_t pendingBase; // its subfolders still to walk are m_pending[pendingBase..]
    };

    // A subfolder seen but not walked yet. Names live in one arena used as a stack: a folder's
    // subfolder names sit above its own name, so leaving a folder frees them all at once.
    struct Pending {
        std::size_t nameStart;
        FileId id;
    };

    void count(const struct stat& st) {
        // Only an entry with more than one link can be met twice; the set stays small.
        if (st.st_nlink >= 2 && !m_seen.insert(idOf(st)).second) return;
        m_total += static_cast<std::int64_t>(st.st_blocks) * 512;
    }

    // A folder that is one of its own ancestors can only come from a bind mount: walking it again
    // would never end.
    bool onPath(const FileId& id) const {
        for (const Frame& frame : m_stack) {
            if (frame.id == id) return true;
        }
        return false;
    }

    void scan(int fd) {
        for (;;) {
            const ssize_t length = ::getdents64(fd, m_buffer.get(), kDirentBufferSize);
            if (length <= 0) return;
            for (ssize_t offset = 0; offset < length;) {
                const auto* entry = reinterpret_cast<const struct dirent64*>(m_buffer.get() + offset);
                offset += entry->d_reclen;
                const char* name = entry->d_name;
                if (isDotOrDotDot(name)) continue;
                // Every entry needs its stat either way: its blocks when it counts, its device
                // and inode when it is a folder. So d_type saves nothing here and is not trusted.
                struct stat st {};
                if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0) continue;
                if (!S_ISDIR(st.st_mode)) {
                    count(st);
                    continue;
                }
                const FileId id = idOf(st);
                if (id.dev != m_rootDev || onPath(id)) continue;
                m_pending.push_back(Pending{m_names.size(), id});
                m_names.append(name, std::strlen(name) + 1);
            }
        }
    }

    void leave() {
        const Frame& frame = m_stack.back();
        if (frame.fd >= 0) {
            ::close(frame.fd);
            --m_held;
        }
        m_names.resize(frame.nameStart);
        m_stack.pop_back();
    }

    // Opens a subfolder of m_stack[parent]. When the process runs out of descriptors, gives up
    // ancestors' descriptors (they can be reopened) rather than the subfolder.
    int openBelow(std::size_t parent, const char* name) {
        for (;;) {
            const int fd = ::openat(m_stack[parent].fd, name, kOpenDirectory);
            if (fd >= 0 || (errno != EMFILE && errno != ENFILE) || !releaseShallowest(parent)) return fd;
        }
    }

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
        while (m_held > kHeldDirectories && releaseShallowest(m_stack.size() - 1)) {
        }
    }

    // Reopens m_stack[target] by name from its nearest held ancestor (the root always is), checking
    // that each folder on the way is still the one walked before.
    bool reopen(std::size_t target) {
        std::size_t anchor = target;
        while (m_stack[anchor].fd < 0)
            --anchor;
        for (std::size_t i = anchor + 1; i <= target; ++i) {
            const int fd = openBelow(i - 1, m_names.data() + m_stack[i].nameStart);
            if (fd < 0) return false;
            struct stat st {};
            if (::fstat(fd, &st) != 0 || !(idOf(st) == m_stack[i].id)) {
                ::close(fd);
                return false;
            }
            m_stack[i].fd = fd;
            ++m_held;
        }
        releaseExcess();
        return true;
    }

    std::int64_t m_total = 0;
    dev_t m_rootDev = 0;
    std::size_t m_held = 0;
    std::unordered_set<FileId, FileIdHash> m_seen;
    std::vector<Frame> m_stack;
    std::vector<Pending> m_pending;
    std::string m_names;
    std::unique_ptr<char[]> m_buffer;
};

} // namespace

std::int64_t onDisk(const std::filesystem::path& path) {
    Walk walk;
    try {
        walk.run(path.c_str());
    } catch (...) {
        // Only allocation can fail here; what was counted before that still stands.
    }
    return walk.total();
}

} // namespace brisklet::FileSize
