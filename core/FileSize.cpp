#include "core/FileSize.h"

#include "core/HeldFolders.h"

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

struct FileIdHash {
    std::size_t operator()(const FileId& id) const noexcept {
        return static_cast<std::size_t>(id.ino ^
                                        (static_cast<std::uint64_t>(id.dev) * 0x9E3779B97F4A7C15ULL));
    }
};

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
        m_folders.pushed();
        scan(fd);

        while (!m_stack.empty()) {
            const std::size_t top = m_stack.size() - 1;
            if (m_pending.size() == m_stack[top].pendingBase) {
                leave();
                continue;
            }
            if (m_stack[top].fd < 0 && !m_folders.reopen(top)) {
                // The folder was renamed or removed while we were below it: what is left of it
                // can no longer be reached from here.
                m_pending.resize(m_stack[top].pendingBase);
                continue;
            }
            const Pending next = m_pending.back();
            m_pending.pop_back();
            const int child = m_folders.openBelow(top, m_names.data() + next.nameStart);
            if (child < 0) {
                m_names.resize(next.nameStart);
                continue;
            }
            m_stack.push_back(Frame{child, next.id, next.nameStart, m_pending.size()});
            m_folders.pushed();
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
        Frame& frame = m_stack.back();
        m_folders.leaving(frame);
        m_names.resize(frame.nameStart);
        m_stack.pop_back();
    }

    std::int64_t m_total = 0;
    dev_t m_rootDev = 0;
    std::unordered_set<FileId, FileIdHash> m_seen;
    std::vector<Frame> m_stack;
    std::vector<Pending> m_pending;
    std::string m_names;
    std::unique_ptr<char[]> m_buffer;
    // A folder's own name, for reopening it from its parent.
    struct OwnName {
        const Walk* walk;
        const char* operator()(std::size_t i) const {
            return walk->m_names.data() + walk->m_stack[i].nameStart;
        }
    };
    HeldFolders<Frame, OwnName> m_folders{m_stack, kHeldDirectories, kOpenDirectory, OwnName{this}};
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
