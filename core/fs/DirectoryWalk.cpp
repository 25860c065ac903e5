#include "core/fs/DirectoryWalk.h"

#include "core/fs/HeldFolders.h"
#include "core/fs/LongPath.h"

#include <QtConcurrent/QtConcurrentMap>

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace brisklet {

namespace {

// Searches run beside scans that measure on a pool of threads, so one walk keeps only a small share
// of the process's descriptor limit: deeper folders are walked with the descriptors of shallower
// ancestors closed, and those are reopened (and checked to be the same folders) on the way back.
constexpr std::size_t kHeldDirectories = 24;

// Large enough that a folder of a few thousand entries costs one or two getdents64 calls.
constexpr std::size_t kDirentBufferSize = 64 * 1024;

// O_NOFOLLOW and O_DIRECTORY make the open itself refuse an entry that turned into a link or a
// non-folder since it was listed, so a swapped entry can never lead the walk elsewhere.
constexpr int kOpenBelow = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

unsigned char typeOf(mode_t mode) {
    switch (mode & S_IFMT) {
    case S_IFDIR:
        return DT_DIR;
    case S_IFREG:
        return DT_REG;
    case S_IFLNK:
        return DT_LNK;
    case S_IFIFO:
        return DT_FIFO;
    case S_IFSOCK:
        return DT_SOCK;
    case S_IFCHR:
        return DT_CHR;
    case S_IFBLK:
        return DT_BLK;
    default:
        return DT_UNKNOWN;
    }
}

// Kernel file systems hold no user data, only views of the running system (every process, every
// device, every control knob), some of them vast or slow to read; a search of "/" must not wander
// through them. An autofs folder that is still unmounted is the same: nothing to find.
bool isKernelFileSystem(int fd) {
    struct statfs info {};
    if (::fstatfs(fd, &info) != 0) return true;
    switch (static_cast<unsigned long>(info.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case SELINUX_MAGIC:
    case SMACK_MAGIC:
    case PSTOREFS_MAGIC:
    case EFIVARFS_MAGIC:
    case BPF_FS_MAGIC:
    case BINFMTFS_MAGIC:
    case NSFS_MAGIC:
    case AUTOFS_SUPER_MAGIC:
    case 0x62656570: // configfs
    case 0x65735543: // fusectl
    case 0x19800202: // mqueue
        return true;
    default:
        return false;
    }
}

// The path as a string without trailing separators ("/" stays "/").
std::string withoutTrailingSeparators(const std::filesystem::path& path) {
    std::string s = path.native();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

} // namespace

bool WalkEntry::status(struct stat& out) const {
    if (!m_statusRead) {
        m_statusRead = true;
        m_statusOk =
            ::fstatat(m_folderFd, m_name.data(), &m_status, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) == 0;
    }
    out = m_status;
    return m_statusOk;
}

std::filesystem::path WalkEntry::path() const {
    std::string p;
    p.reserve(m_folderPath->size() + 1 + m_name.size());
    p += *m_folderPath;
    p += '/';
    p += m_name;
    return std::filesystem::path(std::move(p));
}

FolderIdentity::FolderIdentity(const std::filesystem::path& folder) {
    struct stat st {};
    if (!folder.empty() && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        m_known = true;
        m_dev = st.st_dev;
        m_ino = st.st_ino;
    }
}

bool FolderIdentity::is(const WalkEntry& entry) const {
    struct stat st {};
    return m_known && entry.status(st) && S_ISDIR(st.st_mode) && st.st_dev == m_dev && st.st_ino == m_ino;
}

std::chrono::system_clock::time_point modifiedAt(const struct stat& status) {
    using namespace std::chrono;
    const auto since = seconds(status.st_mtim.tv_sec) + nanoseconds(status.st_mtim.tv_nsec);
    return system_clock::time_point(duration_cast<system_clock::duration>(since));
}

// The machinery behind walkDirectory: a stack of the folders from the root to the current one, each
// with its complete listing (read in one pass while it is open) and a cursor into it.
class DirectoryWalker {
public:
    explicit DirectoryWalker(const std::function<WalkStep(const WalkEntry&)>& visit) : m_visit(visit) {}
    DirectoryWalker(const DirectoryWalker&) = delete;
    DirectoryWalker& operator=(const DirectoryWalker&) = delete;
    ~DirectoryWalker() {
        for (const Frame& frame : m_stack) {
            if (frame.fd >= 0) ::close(frame.fd);
        }
    }

    // Walks below the open folder `fd` (taken over) whose path is `path`.
    void run(int fd, const struct stat& st, std::string path) {
        m_buffer = std::make_unique<char[]>(kDirentBufferSize);
        m_path = std::move(path);
        m_stack.push_back(Frame{fd, FileId{st.st_dev, st.st_ino}, 0, 0, 0, 0, 0});
        m_folders.pushed();
        list(m_stack.back());

        while (!m_stack.empty()) {
            Frame& top = m_stack.back();
            if (top.next == top.listingEnd) {
                leave();
                continue;
            }
            if (top.fd < 0 && !m_folders.reopen(m_stack.size() - 1)) {
                // Renamed or removed while we were below it: the rest of it is out of reach.
                m_stack.back().next = m_stack.back().listingEnd;
                continue;
            }
            const Listed listed = m_listing[m_stack.back().next++];
            visitEntry(m_stack.size() - 1, listed);
        }
    }

    // Walks the subfolder `name` of the open folder `parentFd`, as the walk from that folder would.
    void runBelow(int parentFd, const struct stat& parent, const std::string& parentPath, const char* name) {
        const int fd = ::openat(parentFd, name, kOpenBelow);
        if (fd < 0) return;
        struct stat st {};
        m_ancestor = FileId{parent.st_dev, parent.st_ino};
        if (!mayEnter(fd, st, parent.st_dev)) {
            ::close(fd);
            return;
        }
        std::string path = parentPath;
        path += '/';
        path += name;
        run(fd, st, std::move(path));
    }

private:
    // An entry of a listed folder; its name sits NUL-terminated in m_names.
    struct Listed {
        std::size_t nameStart;
        std::size_t nameLength;
        unsigned char type;
    };

    // A folder on the path from the root to where the walk is now. Its listing is
    // m_listing[listingBegin, listingEnd); the names of that listing start at m_names[namesBegin].
    struct Frame {
        int fd; // -1 while closed to stay within kHeldDirectories
        FileId id;
        std::size_t ownName; // its own name in its parent's listing, kept to reopen it
        std::size_t listingBegin;
        std::size_t listingEnd;
        std::size_t next;
        std::size_t namesBegin;
        std::size_t pathLength = 0; // m_path's length above this folder, restored on leaving it
    };

    void list(Frame& frame) {
        frame.namesBegin = m_names.size();
        frame.listingBegin = m_listing.size();
        for (;;) {
            const ssize_t length = ::getdents64(frame.fd, m_buffer.get(), kDirentBufferSize);
            if (length <= 0) break;
            for (ssize_t offset = 0; offset < length;) {
                const auto* entry = reinterpret_cast<const struct dirent64*>(m_buffer.get() + offset);
                offset += entry->d_reclen;
                if (isDotOrDotDot(entry->d_name)) continue;
                const std::size_t nameLength = std::strlen(entry->d_name);
                m_listing.push_back(Listed{m_names.size(), nameLength, entry->d_type});
                m_names.append(entry->d_name, nameLength + 1);
            }
        }
        frame.listingEnd = m_listing.size();
        frame.next = frame.listingBegin;
    }

    void visitEntry(std::size_t folder, const Listed& listed) {
        WalkEntry entry;
        entry.m_folderFd = m_stack[folder].fd;
        entry.m_name = std::string_view(m_names.data() + listed.nameStart, listed.nameLength);
        entry.m_folderPath = &m_path;
        entry.m_type = listed.type;
        if (entry.m_type == DT_UNKNOWN) {
            struct stat st {};
            if (!entry.status(st)) return;
            entry.m_type = typeOf(st.st_mode);
        }
        if (m_visit(entry) != WalkStep::descend || entry.m_type != DT_DIR) return;

        const int fd = m_folders.openBelow(folder, m_names.data() + listed.nameStart);
        if (fd < 0) return;
        struct stat st {};
        if (!mayEnter(fd, st, m_stack[folder].id.dev)) {
            ::close(fd);
            return;
        }
        const std::size_t pathLength = m_path.size();
        m_path += '/';
        m_path.append(entry.m_name);
        m_stack.push_back(Frame{fd, FileId{st.st_dev, st.st_ino}, listed.nameStart, 0, 0, 0, 0, pathLength});
        m_folders.pushed();
        list(m_stack.back());
    }

    // A folder that is one of its own ancestors can only come from a bind mount: walking it again
    // would never end.
    bool onPath(const FileId& id) const {
        if (id == m_ancestor) return true;
        for (const Frame& frame : m_stack) {
            if (frame.id == id) return true;
        }
        return false;
    }

    // Whether the just opened folder `fd` may be walked; fills its status.
    bool mayEnter(int fd, struct stat& st, dev_t parentDevice) const {
        return ::fstat(fd, &st) == 0 && !onPath(FileId{st.st_dev, st.st_ino}) &&
               (st.st_dev == parentDevice || !isKernelFileSystem(fd));
    }

    void leave() {
        Frame& frame = m_stack.back();
        m_folders.leaving(frame);
        m_listing.resize(frame.listingBegin);
        m_names.resize(frame.namesBegin);
        m_path.resize(frame.pathLength);
        m_stack.pop_back();
    }

    const std::function<WalkStep(const WalkEntry&)>& m_visit;
    FileId m_ancestor{0, 0}; // the folder above the walk's root, when walking one subfolder of it
    std::vector<Frame> m_stack;
    std::vector<Listed> m_listing;
    std::string m_names;
    // A folder's own name, for reopening it from its parent.
    struct OwnName {
        const DirectoryWalker* walker;
        const char* operator()(std::size_t i) const {
            return walker->m_names.data() + walker->m_stack[i].ownName;
        }
    };
    HeldFolders<Frame, OwnName> m_folders{m_stack, kHeldDirectories, kOpenBelow, OwnName{this}};
    std::string m_path;
    std::unique_ptr<char[]> m_buffer;
};

namespace {

// Opens a search root. Followed if it is a link: the user named this folder, and a search root that
// is a link (a projects folder kept on another disk) should be searched, not found empty. A root
// deeper than PATH_MAX (a project the walk itself found down there) is opened piece by piece.
int openRoot(const std::filesystem::path& root, struct stat& st, std::string& path) {
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    int fd = ::open(root.c_str(), kFlags);
    if (fd < 0 && errno == ENAMETOOLONG) {
        std::string last;
        const int parent = openParentOfLongPath(root.native(), last);
        if (parent < 0) return -1;
        fd = ::openat(parent, last.c_str(), kFlags);
        ::close(parent);
    }
    if (fd < 0) return -1;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return -1;
    }
    path = withoutTrailingSeparators(root);
    if (path == "/") path.clear();
    return fd;
}

} // namespace

bool walkDirectory(const std::filesystem::path& root,
                   const std::function<WalkStep(const WalkEntry&)>& visit) {
    try {
        struct stat st {};
        std::string path;
        const int fd = openRoot(root, st, path);
        if (fd < 0) return false;
        DirectoryWalker walker(visit);
        walker.run(fd, st, std::move(path));
        return true;
    } catch (...) {
        // Allocation, or the visitor: what it recorded before stands.
        return true;
    }
}

bool walkDirectoryInParallel(const std::filesystem::path& root, const WalkVisitor& visitRoot,
                             const std::function<WalkVisitor(std::size_t)>& visitorBelow, QThreadPool& pool) {
    struct Subtree {
        std::string name;
        WalkVisitor visit;
    };
    struct stat st {};
    std::string path;
    const int fd = openRoot(root, st, path);
    if (fd < 0) return false;
    try {
        // The root's own entries, here; its subfolders are only noted, to be walked below.
        std::vector<Subtree> subtrees;
        const WalkVisitor note = [&](const WalkEntry& entry) {
            if (visitRoot(entry) == WalkStep::descend && entry.type() == DT_DIR)
                subtrees.push_back(Subtree{std::string(entry.name()), {}});
            return WalkStep::pass;
        };
        const int listing = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        if (listing >= 0) DirectoryWalker(note).run(listing, st, path);
        for (std::size_t i = 0; i < subtrees.size(); ++i)
            subtrees[i].visit = visitorBelow(i);

        const auto walkOne = [&](Subtree& subtree) {
            try {
                DirectoryWalker(subtree.visit).runBelow(fd, st, path, subtree.name.c_str());
            } catch (...) {
                // As for one walk: what was recorded before stands.
            }
        };
        if (subtrees.size() == 1)
            walkOne(subtrees.front()); // not worth a hand-off
        else if (!subtrees.empty())
            QtConcurrent::blockingMap(&pool, subtrees, walkOne);
    } catch (...) {
        // Allocation: what was recorded before stands.
    }
    ::close(fd);
    return true;
}

} // namespace brisklet
