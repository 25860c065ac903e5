#include "core/TrashEmptier.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <string_view>
#include <type_traits>
#include <utility>

namespace brisklet {

namespace fs = std::filesystem;

namespace {

constexpr int kOpenDirectory = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// A deep tree must not exhaust the process's descriptors; beyond this many open folders the
// shallowest are closed and found again on the way back up.
constexpr std::size_t kMaxOpenFolders = 48;
constexpr std::string_view kInfoSuffix = ".trashinfo";

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

struct Listing {
    std::vector<std::string> names;
    int error = 0;
};

// Reads every name first and removes afterwards: removing entries while a directory stream is
// still open may make it skip others on some file systems.
Listing listNames(int folderFd) {
    Listing listing;
    const int own = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (own < 0) {
        listing.error = errno;
        return listing;
    }
    DIR* dir = ::fdopendir(own);
    if (!dir) {
        listing.error = errno;
        ::close(own);
        return listing;
    }
    while (true) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            listing.error = errno;
            break;
        }
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..") continue;
        listing.names.emplace_back(name);
    }
    ::closedir(dir);
    return listing;
}

// Opens a sub-folder only when it is still the folder that was examined: a folder swapped for
// another one (or for a link) between the look and the open is left alone.
int openVerified(int parentFd, const char* name, dev_t device, ino_t inode) {
    const int fd = ::openat(parentFd, name, kOpenDirectory);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_dev != device || st.st_ino != inode) {
        ::close(fd);
        errno = EBUSY;
        return -1;
    }
    return fd;
}

struct Frame {
    Descriptor fd;
    std::string name; // in the parent folder
    dev_t device = 0;
    ino_t inode = 0;
    std::vector<std::string> pending;
    bool listed = false;
    bool failed = false; // something below stays, so this folder cannot go either
};

// A depth-first removal with an explicit stack, so neither the call stack nor the descriptor
// table grows with the depth of the tree.
class FolderRemover {
public:
    FolderRemover(int baseFd, dev_t device) : m_baseFd(baseFd), m_device(device) {}

    int remove(const std::string& name, const struct stat& st) {
        const int fd = openVerified(m_baseFd, name.c_str(), st.st_dev, st.st_ino);
        if (fd < 0) return errno == ENOENT ? 0 : removeUnopenable(m_baseFd, name, errno);
        push(fd, name, st);
        while (!m_stack.empty()) {
            if (!ensureTopOpen()) break;
            Frame& top = m_stack.back();
            if (!top.listed) {
                Listing listing = listNames(top.fd.get());
                top.listed = true;
                top.pending = std::move(listing.names);
                if (listing.error != 0) fail(top, listing.error);
            }
            if (top.pending.empty()) {
                finishTop();
                continue;
            }
            const std::string child = std::move(top.pending.back());
            top.pending.pop_back();
            visit(top, child);
        }
        return m_firstError;
    }

private:
    void note(int error) {
        if (m_firstError == 0) m_firstError = error;
    }
    void fail(Frame& frame, int error) {
        note(error);
        frame.failed = true;
    }

    // An unreadable folder may still be empty, and removing an empty folder needs only the
    // parent's permission.
    int removeUnopenable(int parentFd, const std::string& name, int openError) {
        if (openError == EACCES && ::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) == 0) return 0;
        return openError;
    }

    void visit(Frame& top, const std::string& name) {
        struct stat st {};
        if (::fstatat(top.fd.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) fail(top, errno);
            return;
        }
        if (st.st_dev != m_device) {
            fail(top, EXDEV);
            return;
        }
        if (!S_ISDIR(st.st_mode)) {
            if (::unlinkat(top.fd.get(), name.c_str(), 0) != 0 && errno != ENOENT) fail(top, errno);
            return;
        }
        const int fd = openVerified(top.fd.get(), name.c_str(), st.st_dev, st.st_ino);
        if (fd < 0) {
            if (errno == ENOENT) return;
            if (const int error = removeUnopenable(top.fd.get(), name, errno); error != 0) fail(top, error);
            return;
        }
        push(fd, name, st); // `top` may dangle from here on
    }

    // Open folders are always the deepest ones: when too many are open, the shallowest is closed.
    void push(int fd, const std::string& name, const struct stat& st) {
        if (m_stack.size() - m_lowestOpen >= kMaxOpenFolders) m_stack[m_lowestOpen++].fd.reset();
        Frame frame;
        frame.fd = Descriptor(fd);
        frame.name = name;
        frame.device = st.st_dev;
        frame.inode = st.st_ino;
        m_stack.push_back(std::move(frame));
    }

    int parentFd(std::size_t index) const { return index == 0 ? m_baseFd : m_stack[index - 1].fd.get(); }

    // Finds closed folders again by walking down from the start, checking at every step that each
    // folder is still the one we left; the deepest ones stay open for the way back up.
    bool ensureTopOpen() {
        if (m_lowestOpen < m_stack.size()) return true;
        m_lowestOpen = 0;
        for (std::size_t i = 0; i < m_stack.size(); ++i) {
            Frame& frame = m_stack[i];
            if (!frame.fd.valid()) {
                const int fd = openVerified(parentFd(i), frame.name.c_str(), frame.device, frame.inode);
                if (fd < 0) {
                    abandon(errno);
                    return false;
                }
                frame.fd = Descriptor(fd);
            }
            if (i + 1 - m_lowestOpen > kMaxOpenFolders) m_stack[m_lowestOpen++].fd.reset();
        }
        return true;
    }

    // The way back down is lost (the tree was moved meanwhile): nothing more can be removed safely.
    void abandon(int error) {
        note(error);
        m_stack.clear();
        m_lowestOpen = 0;
    }

    void finishTop() {
        Frame done = std::move(m_stack.back());
        m_stack.pop_back();
        done.fd.reset();
        m_lowestOpen = std::min(m_lowestOpen, m_stack.size());
        if (!m_stack.empty() && !ensureTopOpen()) return;
        const int parent = m_stack.empty() ? m_baseFd : m_stack.back().fd.get();
        if (done.failed) {
            if (!m_stack.empty()) m_stack.back().failed = true;
            return;
        }
        if (::unlinkat(parent, done.name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
            note(errno);
            if (!m_stack.empty()) m_stack.back().failed = true;
        }
    }

    int m_baseFd;
    dev_t m_device;
    int m_firstError = 0;
    std::vector<Frame> m_stack;
    std::size_t m_lowestOpen = 0; // frames from here to the top hold open descriptors
};

// Opens a part of a Trash folder (files/, info/, expunged/). Returns the descriptor, or -1 with
// `error` set: ENOENT for a part that is not there, EXDEV for one on another device.
Descriptor openPart(int trashFd, const char* name, dev_t device, int& error) {
    error = 0;
    Descriptor fd(::openat(trashFd, name, kOpenDirectory));
    if (!fd.valid()) {
        error = errno;
        return fd;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        error = errno;
        fd.reset();
    } else if (st.st_dev != device) {
        error = EXDEV;
        fd.reset();
    }
    return fd;
}

bool endsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

void leftBehind(TrashEmptier::Result& result, int error) {
    ++result.notRemoved;
    if (result.firstError == 0) result.firstError = error;
}

TrashEmptier::Result emptyOpenFolder(int trashFd) {
    TrashEmptier::Result result;
    struct stat st {};
    if (::fstat(trashFd, &st) != 0) {
        leftBehind(result, errno);
        return result;
    }
    const dev_t device = st.st_dev;

    int filesError = 0;
    int infoError = 0;
    const Descriptor files = openPart(trashFd, "files", device, filesError);
    const Descriptor info = openPart(trashFd, "info", device, infoError);
    if (filesError != 0 && filesError != ENOENT) leftBehind(result, filesError);
    if (infoError != 0 && infoError != ENOENT) leftBehind(result, infoError);

    // Which files/ entries are known: without them no .trashinfo can be called an orphan.
    bool entriesKnown = filesError == 0 || filesError == ENOENT;
    std::set<std::string> infosTried;
    if (files.valid()) {
        const Listing listing = listNames(files.get());
        if (listing.error != 0) {
            leftBehind(result, listing.error);
            entriesKnown = false;
        }
        for (const std::string& name : listing.names) {
            int error = TrashEmptier::removeEntry(files.get(), name, device);
            // An entry that stays keeps its description, so the Trash still shows where it came from.
            if (error == 0 && info.valid()) {
                const std::string infoName = name + std::string(kInfoSuffix);
                infosTried.insert(infoName);
                error = TrashEmptier::removeEntry(info.get(), infoName, device);
            }
            if (error != 0) leftBehind(result, error);
        }
    }

    if (info.valid() && entriesKnown) {
        const Listing listing = listNames(info.get());
        if (listing.error != 0) leftBehind(result, listing.error);
        for (const std::string& name : listing.names) {
            if (!endsWith(name, kInfoSuffix) || infosTried.count(name) != 0) continue;
            if (files.valid()) {
                const std::string entry = name.substr(0, name.size() - kInfoSuffix.size());
                struct stat entrySt {};
                if (::fstatat(files.get(), entry.c_str(), &entrySt, AT_SYMLINK_NOFOLLOW) == 0 ||
                    errno != ENOENT)
                    continue;
            }
            if (const int error = TrashEmptier::removeEntry(info.get(), name, device); error != 0)
                leftBehind(result, error);
        }
    }

    int expungedError = 0;
    const Descriptor expunged = openPart(trashFd, "expunged", device, expungedError);
    if (expungedError != 0 && expungedError != ENOENT) leftBehind(result, expungedError);
    if (expunged.valid()) {
        const Listing listing = listNames(expunged.get());
        if (listing.error != 0) leftBehind(result, listing.error);
        for (const std::string& name : listing.names)
            if (const int error = TrashEmptier::removeEntry(expunged.get(), name, device); error != 0)
                leftBehind(result, error);
    }

    if (const int error = TrashEmptier::removeEntry(trashFd, "directorysizes", device); error != 0)
        leftBehind(result, error);
    return result;
}

bool isOwnedFolder(const struct stat& st, uid_t uid) {
    return S_ISDIR(st.st_mode) && st.st_uid == uid;
}

// Opens `name` below `parentFd` as a Trash folder of `uid`: a real folder (not a link) owned by them.
Descriptor openOwnedFolder(int parentFd, const std::string& name, uid_t uid) {
    Descriptor fd(::openat(parentFd, name.c_str(), kOpenDirectory));
    struct stat st {};
    if (fd.valid() && (::fstat(fd.get(), &st) != 0 || !isOwnedFolder(st, uid))) fd.reset();
    return fd;
}

std::string errorText(int error) {
    char buffer[256] = {};
    // The GNU variant may return a static string instead of filling the buffer; the XSI one fills it.
    const auto pick = [&](auto returned) -> std::string {
        if constexpr (std::is_same_v<decltype(returned), int>)
            return returned == 0 ? std::string(buffer) : "Error " + std::to_string(error);
        else
            return std::string(returned);
    };
    return pick(::strerror_r(error, buffer, sizeof buffer));
}

} // namespace

namespace TrashEmptier {

Result& Result::operator+=(const Result& other) {
    notRemoved += other.notRemoved;
    if (firstError == 0) firstError = other.firstError;
    return *this;
}

int removeEntry(int parentFd, const std::string& name, dev_t device) {
    struct stat st {};
    if (::fstatat(parentFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT ? 0 : errno;
    if (st.st_dev != device) return EXDEV;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(parentFd, name.c_str(), 0) == 0 || errno == ENOENT ? 0 : errno;
    return FolderRemover(parentFd, device).remove(name, st);
}

Result emptyFolder(const fs::path& trash) {
    const Descriptor fd(::open(trash.c_str(), kOpenDirectory));
    if (!fd.valid()) {
        if (errno == ENOENT) return {};
        return {1, errno};
    }
    return emptyOpenFolder(fd.get());
}

Result emptyVolumeTrashes(const std::vector<fs::path>& mountPoints, uid_t uid) {
    Result result;
    const std::string uidText = std::to_string(uid);
#ifdef O_PATH
    // A volume's root need only be searchable, not readable, to reach the Trash folders on it.
    constexpr int kOpenTop = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
    constexpr int kOpenTop = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif
    for (const fs::path& top : mountPoints) {
        const Descriptor topFd(::open(top.c_str(), kOpenTop));
        if (!topFd.valid()) continue;

        // A shared .Trash counts only when it is a real sticky folder: without the sticky bit any
        // user could plant or swap another user's folder in it.
        const Descriptor shared(::openat(topFd.get(), ".Trash", kOpenDirectory));
        struct stat st {};
        if (shared.valid() && ::fstat(shared.get(), &st) == 0 && S_ISDIR(st.st_mode) &&
            (st.st_mode & S_ISVTX)) {
            if (const Descriptor own = openOwnedFolder(shared.get(), uidText, uid); own.valid())
                result += emptyOpenFolder(own.get());
        }
        if (const Descriptor own = openOwnedFolder(topFd.get(), ".Trash-" + uidText, uid); own.valid())
            result += emptyOpenFolder(own.get());
    }
    return result;
}

std::string failureMessage(const Result& result) {
    std::string message = std::to_string(result.notRemoved) + (result.notRemoved == 1 ? " item" : " items") +
                          " couldn't be removed.";
    if (result.firstError != 0) message += " " + errorText(result.firstError) + ".";
    return message;
}

} // namespace TrashEmptier
} // namespace brisklet
