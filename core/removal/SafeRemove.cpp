#include "core/removal/SafeRemove.h"

#include "core/fs/Descriptor.h"
#include "core/fs/HeldFolders.h"
#include "core/fs/MountPlacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace brisklet::SafeRemove {

namespace {

// Folders we read: O_NOFOLLOW | O_DIRECTORY make the open itself refuse anything that is no longer
// the folder we saw, so no swap can lead the walk elsewhere.
constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Folders on the way to the item's parent only need to be searched, not read.
constexpr int kOpenStep = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

constexpr int kLookFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;
constexpr unsigned kLookMask = STATX_TYPE | STATX_INO | STATX_MNT_ID;

// Deep trees are walked with the descriptors of their shallower folders closed (and reopened, checked,
// on the way back up), so a removal never holds more than this many folders open.
constexpr std::size_t kHeldFolders = 24;
constexpr std::size_t kDirentBufferSize = 64 * 1024;
// A folder that keeps turning into something else between a look and an open is left after this
// many tries.
constexpr int kOpenAttempts = 3;
// What is reported for something left on purpose: a mount point, or a folder that left the item.
constexpr int kLeftOnPurpose = EBUSY;

std::function<void(const std::string&)>& listedHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

struct Identity {
    std::uint32_t devMajor = 0;
    std::uint32_t devMinor = 0;
    std::uint64_t ino = 0;
    bool operator==(const Identity&) const = default;
};

struct Look {
    bool ok = false;
    bool isFolder = false;
    Identity id;
    MountPlacement where;
};

Look lookAt(int dirFd, const char* name, int flags) {
    struct statx stx {};
    Look look;
    if (::statx(dirFd, name, flags, kLookMask, &stx) != 0) return look;
    look.ok = true;
    look.isFolder = S_ISDIR(stx.stx_mode);
    look.id = Identity{stx.stx_dev_major, stx.stx_dev_minor, stx.stx_ino};
    look.where = placementFrom(stx);
    return look;
}

// The entry itself, never what it points to; errno tells why when it fails.
Look look(int dirFd, const char* name) {
    return lookAt(dirFd, name, kLookFlags);
}

Look lookOpened(int fd) {
    return lookAt(fd, "", AT_EMPTY_PATH | kLookFlags);
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool isSingleName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && name.find('\0') == std::string::npos &&
           !isDotOrDotDot(name.c_str());
}

bool isAtOrBelow(const std::string& path, const std::string& folder) {
    if (folder == "/") return !path.empty() && path.front() == '/';
    return path.compare(0, folder.size(), folder) == 0 &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

std::size_t componentCount(const std::string& path) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (path[i] != '/' && (i == 0 || path[i - 1] == '/')) ++count;
    return count;
}

// Opens an absolute, link-free folder path one component at a time, refusing every link on the
// way, then checks that what was opened is what the path names now. Below `confinedTo` (when given)
// every folder must stay on the mount of `confinedTo` itself. -1 with errno on failure, EXDEV when
// the way leaves that mount.
int openResolvedFolder(const std::string& path, const std::string& confinedTo) {
    if (path.empty() || path.front() != '/' || (!confinedTo.empty() && !isAtOrBelow(path, confinedTo))) {
        errno = EINVAL;
        return -1;
    }
    const bool confined = !confinedTo.empty();
    const std::size_t confinedDepth = confined ? componentCount(confinedTo) : 0;
    Descriptor fd(::open("/", kOpenStep & ~O_NOFOLLOW));
    if (fd.get() < 0) return -1;
    std::optional<MountPlacement> confining;
    if (confined && confinedDepth == 0 && !(confining = placementAt(fd.get(), ""))) return -1;
    std::size_t depth = 0;
    std::size_t start = 0;
    while (start < path.size()) {
        const auto slash = path.find('/', start);
        const std::string part =
            path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        start = slash == std::string::npos ? path.size() : slash + 1;
        if (part.empty()) continue;
        if (isDotOrDotDot(part.c_str())) {
            errno = EINVAL;
            return -1;
        }
        fd.reset(::openat(fd.get(), part.c_str(), kOpenStep));
        if (fd.get() < 0) return -1;
        if (!confined || ++depth < confinedDepth) continue;
        const auto here = placementAt(fd.get(), "");
        if (!here) return -1;
        if (depth == confinedDepth) {
            confining = here;
        } else if (!staysOnMountOf(*here, *confining)) {
            errno = EXDEV;
            return -1;
        }
    }
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd.get(), &opened) != 0 || !S_ISDIR(opened.st_mode) || ::stat(path.c_str(), &named) != 0 ||
        opened.st_dev != named.st_dev || opened.st_ino != named.st_ino) {
        errno = ESTALE;
        return -1;
    }
    return fd.release();
}

// A depth-first removal relative to folder descriptors. Each folder is listed in full before any
// of its entries is touched (removing entries while reading a folder may make some file systems skip
// others); then its non-folders are removed, its subfolders queued by name and walked one after the
// other, and the folder itself removed from its parent once they are done.
class Removal {
public:
    explicit Removal(int parentFd) : m_parentFd(parentFd), m_parent(lookOpened(parentFd)) {}
    Removal(const Removal&) = delete;
    Removal& operator=(const Removal&) = delete;
    ~Removal() {
        for (const Frame& frame : m_stack) {
            if (frame.fd >= 0) ::close(frame.fd);
        }
    }

    bool reached() const { return m_reached; }
    bool existed() const { return m_existed; }
    bool refused() const { return m_refused; }
    bool lostPart() const { return m_lostPart; }
    bool leftUnmeasured() const { return m_leftUnmeasured || m_lostPart; }
    int error() const { return m_error; }

    void run(const char* name) {
        const Look item = look(m_parentFd, name);
        if (!item.ok) {
            if (errno == ENOENT)
                m_reached = true;
            else
                note(errno);
            return;
        }
        m_reached = true;
        m_existed = true;
        // A mount point is never junk: removing "its" entries would empty the mounted file system.
        if (!m_parent.ok || !staysOnMountOf(item.where, m_parent.where)) {
            m_refused = true;
            note(kLeftOnPurpose);
            return;
        }
        if (!item.isFolder) {
            if (::unlinkat(m_parentFd, name, 0) != 0 && errno != ENOENT) note(errno);
            return;
        }
        m_buffer = std::make_unique<char[]>(kDirentBufferSize);
        m_item = item;
        m_names.append(name, std::strlen(name) + 1);
        const int fd = openFolder(kItemParent, 0, item.id);
        if (fd < 0) {
            m_names.clear();
            return;
        }
        m_stack.push_back(Frame{fd, item.id, 0, 0, false});
        m_folders.pushed();
        list(0);

        while (!m_stack.empty()) {
            const std::size_t top = m_stack.size() - 1;
            if (m_pending.size() == m_stack[top].pendingBase) {
                leave();
                continue;
            }
            if (m_stack[top].fd < 0 && !m_folders.reopen(top)) {
                // The folder was moved or removed while we were below it: what is left of it is
                // out of our reach now, wherever it went.
                loseTrack(top);
                continue;
            }
            const Pending next = m_pending.back();
            m_pending.pop_back();
            const int child = openFolder(top, next.nameStart, next.id);
            if (child < 0) {
                m_names.resize(next.nameStart);
                continue;
            }
            m_stack.push_back(Frame{child, next.id, next.nameStart, m_pending.size(), false});
            m_folders.pushed();
            list(m_stack.size() - 1);
        }
    }

private:
    // A folder on the way from the item to where the walk is now.
    struct Frame {
        int fd; // -1 while closed to stay within kHeldFolders
        Identity id;
        std::size_t nameStart;   // its own name in m_names, to reopen it and to remove it
        std::size_t pendingBase; // its subfolders still to walk are m_pending[pendingBase..]
        bool lost;               // no longer inside the item, or out of reach: left as it is
    };

    // A subfolder seen but not walked yet. Names live in one arena used as a stack: a folder's
    // subfolder names sit above its own name, so leaving a folder frees them all at once.
    struct Pending {
        std::size_t nameStart;
        Identity id;
    };

    // Stands for the item's parent where a frame index is expected.
    static constexpr std::size_t kItemParent = static_cast<std::size_t>(-1);

    void note(int error) {
        if (m_error == 0) m_error = error;
    }

    const char* nameAt(std::size_t start) const { return m_names.data() + start; }
    int fdOf(std::size_t index) const { return index == kItemParent ? m_parentFd : m_stack[index].fd; }

    bool onItemMount(const Look& entry) const { return staysOnMountOf(entry.where, m_item.where); }

    bool onPath(const Identity& id) const {
        for (const Frame& frame : m_stack) {
            if (frame.id == id) return true;
        }
        return false;
    }

    // Whether the open folder of m_stack[index] still lies inside the item where the walk found it:
    // the ".." of every folder on the way up must still be the folder the walk came from, up to the
    // item's parent. A folder renamed out of the item (or an item renamed out of its parent) fails
    // this wherever it went, even to a place of the same depth. Held folders are checked from their
    // own descriptors; closed ones by climbing from the nearest held folder below them.
    bool insideItem(std::size_t index) const {
        Descriptor climbed;
        int from = m_stack[index].fd;
        for (std::size_t i = index; i > 0; --i) {
            const Frame& above = m_stack[i - 1];
            if (above.fd >= 0) {
                const Look up = look(from, "..");
                if (!up.ok || !(up.id == above.id)) return false;
                from = above.fd;
                continue;
            }
            const int next = ::openat(from, "..", kOpenStep & ~O_NOFOLLOW);
            climbed.reset(next);
            const Look up = next >= 0 ? lookOpened(next) : Look{};
            if (!up.ok || !(up.id == above.id)) return false;
            from = next;
        }
        const Look up = look(from, "..");
        return up.ok && m_parent.ok && up.id == m_parent.id;
    }

    // Leaves the folder of m_stack[index] and everything in it as it is.
    void loseTrack(std::size_t index) {
        m_stack[index].lost = true;
        m_lostPart = true;
        note(kLeftOnPurpose);
        m_pending.resize(m_stack[index].pendingBase);
    }

    // Lists the folder of m_stack[index] in full, removes what is not a folder and queues the
    // subfolders that lie on the item's mount.
    void list(std::size_t index) {
        const int fd = m_stack[index].fd;
        m_listing.clear();
        for (;;) {
            const ssize_t length = ::getdents64(fd, m_buffer.get(), kDirentBufferSize);
            if (length < 0) note(errno);
            if (length <= 0) break;
            for (ssize_t offset = 0; offset < length;) {
                const auto* entry = reinterpret_cast<const struct dirent64*>(m_buffer.get() + offset);
                offset += entry->d_reclen;
                if (!isDotOrDotDot(entry->d_name))
                    m_listing.append(entry->d_name, std::strlen(entry->d_name) + 1);
            }
        }
        if (const auto& hook = listedHook()) hook(nameAt(m_stack[index].nameStart));
        if (!insideItem(index)) {
            loseTrack(index);
            return;
        }
        for (std::size_t at = 0; at < m_listing.size(); at = m_listing.find('\0', at) + 1) {
            const char* name = m_listing.data() + at;
            const Look entry = look(fd, name);
            if (!entry.ok) {
                if (errno != ENOENT) note(errno);
                continue;
            }
            if (!onItemMount(entry)) {
                // A mount point (or a bind-mounted file) inside the item: the mounted file system
                // is not part of the item.
                m_leftUnmeasured = true;
                note(kLeftOnPurpose);
                continue;
            }
            if (!entry.isFolder) {
                if (::unlinkat(fd, name, 0) != 0 && errno != ENOENT) note(errno);
                continue;
            }
            if (onPath(entry.id)) continue;
            m_pending.push_back(Pending{m_names.size(), entry.id});
            m_names.append(name, std::strlen(name) + 1);
        }
    }

    // Opens the folder named at nameStart inside the folder `parent`, if it still is the folder `id` on the
    // item's mount. When the name has turned into a link or a file meanwhile, that entry is removed
    // as what it now is (a link goes, its target stays); a folder we may not read is removed only if
    // it is empty. -1 when nothing is to be walked.
    int openFolder(std::size_t parent, std::size_t nameStart, const Identity& id) {
        for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
            const int fd = openAt(parent, nameStart);
            if (fd >= 0) {
                const Look opened = lookOpened(fd);
                if (opened.ok && opened.isFolder && opened.id == id && onItemMount(opened)) return fd;
                ::close(fd);
                // Another folder took its place: whatever it is, it was not what we judged.
                if (opened.ok && !onItemMount(opened)) {
                    m_leftUnmeasured = true;
                    note(kLeftOnPurpose);
                }
                return -1;
            }
            const int openError = errno;
            const char* name = nameAt(nameStart);
            const int parentFd = fdOf(parent);
            if (openError == ENOENT) return -1;
            if (openError == ELOOP || openError == ENOTDIR) {
                const Look now = look(parentFd, name);
                if (!now.ok) return -1;
                if (!now.isFolder) {
                    if (onItemMount(now) && ::unlinkat(parentFd, name, 0) != 0 && errno != ENOENT)
                        note(errno);
                    return -1;
                }
                continue; // a folder again: look once more
            }
            if (::unlinkat(parentFd, name, AT_REMOVEDIR) != 0 && errno != ENOENT) {
                m_leftUnmeasured = true;
                note(openError);
            }
            return -1;
        }
        return -1;
    }

    // openat, giving up descriptors of shallower folders (they can be reopened) when the process has
    // none left, rather than the folder at hand.
    int openAt(std::size_t parent, std::size_t nameStart) {
        if (parent == kItemParent) return ::openat(m_parentFd, nameAt(nameStart), kOpenFolder);
        return m_folders.openBelow(parent, nameAt(nameStart));
    }

    // Done with the deepest folder: it goes too, unless it was lost on the way or no longer lies
    // inside the item.
    void leave() {
        const std::size_t index = m_stack.size() - 1;
        bool remove = !m_stack[index].lost;
        if (remove && m_stack[index].fd < 0 && !m_folders.reopen(index)) {
            loseTrack(index);
            remove = false;
        }
        if (remove && !insideItem(index)) {
            loseTrack(index);
            remove = false;
        }
        m_folders.leaving(m_stack.back());
        const Frame frame = m_stack.back();
        int parentFd = m_parentFd;
        if (index > 0)
            parentFd = m_stack[index - 1].fd >= 0 || m_folders.reopen(index - 1) ? m_stack[index - 1].fd : -1;
        if (remove && parentFd >= 0) {
            // Only the folder we emptied: if the name means something else by now, that stays.
            const Look now = look(parentFd, nameAt(frame.nameStart));
            if (now.ok && now.id == frame.id &&
                ::unlinkat(parentFd, nameAt(frame.nameStart), AT_REMOVEDIR) != 0 && errno != ENOENT)
                note(errno);
        }
        m_names.resize(frame.nameStart);
        m_stack.pop_back();
    }

    int m_parentFd;
    Look m_parent;
    Look m_item;
    bool m_reached = false;
    bool m_existed = false;
    bool m_refused = false;
    bool m_leftUnmeasured = false;
    bool m_lostPart = false;
    int m_error = 0;
    std::vector<Frame> m_stack;
    struct OwnName {
        const Removal* removal;
        const char* operator()(std::size_t index) const {
            return removal->nameAt(removal->m_stack[index].nameStart);
        }
    };
    struct SameFolder {
        bool operator()(int fd, const Frame& frame) const {
            const Look opened = lookOpened(fd);
            return opened.ok && opened.id == frame.id;
        }
    };
    HeldFolders<Frame, OwnName, SameFolder> m_folders{m_stack, kHeldFolders, kOpenFolder, OwnName{this}};
    std::vector<Pending> m_pending;
    std::string m_names;
    std::string m_listing;
    std::unique_ptr<char[]> m_buffer;
};

} // namespace

Outcome removeAt(int parentFd, const std::string& name) {
    if (!isSingleName(name)) return Outcome{State::unreachable, false, EINVAL};
    Removal removal(parentFd);
    try {
        removal.run(name.c_str());
    } catch (...) {
        // Only allocation can fail; whatever was removed stays removed and the check below tells.
    }
    if (removal.refused()) return Outcome{State::refused, false, removal.error()};
    if (!removal.reached()) return Outcome{State::unreachable, false, removal.error()};
    if (!removal.existed()) return Outcome{State::absent, false, 0};
    const Look after = look(parentFd, name.c_str());
    const bool gone = !after.ok && errno == ENOENT;
    // A part that left the item during the removal is still somewhere: the item was not all removed.
    if (gone && !removal.lostPart()) return Outcome{State::removed, false, 0};
    const int error = removal.error() != 0 ? removal.error() : (after.ok ? ENOTEMPTY : errno);
    // An entry we can no longer look at may hold anything.
    return Outcome{State::partial, removal.leftUnmeasured() || !after.ok, error};
}

Outcome removeTree(const std::string& parent, const std::string& name, const std::string& confinedTo) {
    if (!isSingleName(name)) return Outcome{State::unreachable, false, EINVAL};
    const Descriptor parentFd(openResolvedFolder(parent, confinedTo));
    if (parentFd.get() < 0) {
        // No parent, no item. Any other failure (a link where a folder was, no permission, a mount
        // on the way) leaves the item as it is.
        const int error = errno;
        if (error == ENOENT) return Outcome{State::absent, false, 0};
        return Outcome{error == EXDEV ? State::refused : State::unreachable, false, error};
    }
    return removeAt(parentFd.get(), name);
}

bool removeNonFolder(const std::string& parent, const std::string& name, const std::string& confinedTo) {
    if (!isSingleName(name)) return false;
    const Descriptor parentFd(openResolvedFolder(parent, confinedTo));
    if (parentFd.get() < 0) return errno == ENOENT;
    const Look entry = look(parentFd.get(), name.c_str());
    if (!entry.ok) return errno == ENOENT;
    const Look folder = lookOpened(parentFd.get());
    if (entry.isFolder || !folder.ok || !staysOnMountOf(entry.where, folder.where)) return false;
    return ::unlinkat(parentFd.get(), name.c_str(), 0) == 0 || errno == ENOENT;
}

namespace testing {

void setListedHook(std::function<void(const std::string& folderName)> hook) {
    listedHook() = std::move(hook);
}

} // namespace testing

} // namespace brisklet::SafeRemove
