#pragma once

#include "core/fs/HeldFolders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brisklet {

class FolderQueue;

// O_NOFOLLOW and O_DIRECTORY make the open itself refuse anything that turned into a link or a
// non-folder since we looked at it, so a swapped entry can never lead the walk elsewhere.
constexpr int kOpenSizeWalkFolder = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// What the walk reads of every entry, and of the measured folder itself.
constexpr unsigned kSizeWalkStatx =
    STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_BLOCKS | STATX_MNT_ID;

inline FileId idOf(const struct statx& sx) {
    return FileId{makedev(sx.stx_dev_major, sx.stx_dev_minor), static_cast<ino_t>(sx.stx_ino)};
}

// Which entries a measurement counts: those on the measured folder's own mount. Removing an item
// never leaves its mount, so a measurement that did would promise space the removal cannot free.
// Where the kernel reports mount ids (Linux 5.8 on) a bind mount is told apart even when it comes
// from the same file system; older kernels only show the device, and a same-device bind mount
// looks like a plain folder there.
struct MountRule {
    bool byMountId = false;
    std::uint64_t mountId = 0;
    dev_t device = 0;

    static MountRule of(const struct statx& root);
    bool admits(const struct statx& entry) const;
};

struct FileIdHash {
    std::size_t operator()(const FileId& id) const noexcept {
        return static_cast<std::size_t>(id.ino ^
                                        (static_cast<std::uint64_t>(id.dev) * 0x9E3779B97F4A7C15ULL));
    }
};

// The blocks of every entry with more than one link that one walk counted, by identity: walks
// that share a measurement add up their totals and subtract what two of them both counted.
using LinkedBlocks = std::unordered_map<FileId, std::int64_t, FileIdHash>;

// One thread's depth-first walk relative to folder descriptors. Each folder is read completely
// while its descriptor is open: every entry is stat'ed once (its blocks if it counts, its identity
// if it is a folder), and subfolders are queued by name to be opened from the parent's descriptor
// later. Alone it gives what an fts walk that stays on one device and counts the non-folder
// entries gives for a tree with nothing mounted inside, without building a path for every entry
// and without a PATH_MAX limit.
//
// Shared with a FolderQueue, it hands its shallowest unwalked subfolder (likely the largest piece
// of work it holds) to the queue whenever another thread is waiting for work, or, in a folder
// without any, the part of the listing it has read but not yet stat'ed.
class SizeWalk {
public:
    explicit SizeWalk(const MountRule& rule);
    SizeWalk(const SizeWalk&) = delete;
    SizeWalk& operator=(const SizeWalk&) = delete;
    ~SizeWalk();

    // Counts everything below the open folder `fd` (taken over, closed when done), known as `id`;
    // only below the entries named in `names` (each ended by a NUL) when there are any. Can be
    // called again for further folders; what they hold is added up.
    void walk(int fd, const FileId& id, std::string_view names = {});

    void shareWith(FolderQueue* queue) { m_queue = queue; }
    // Calls `checkpoint` once the walk has stat'ed `entries` entries; it returns how many more
    // entries to wait for the next call, or 0 for no more calls.
    void onCheckpoint(std::uint64_t entries, std::function<std::uint64_t()> checkpoint);

    std::int64_t total() const { return m_total; }
    LinkedBlocks& linked() { return m_linked; }
    std::uint64_t handedOver() const { return m_handedOver; }
    std::uint64_t listsHandedOver() const { return m_listsHandedOver; }

private:
    // A folder on the path from the walk's root to where the walk is now.
    struct Frame {
        int fd; // -1 while closed to stay within the descriptor budget
        FileId id;
        std::size_t nameStart;   // its own name in m_names, kept to reopen it from its parent
        std::size_t pendingBase; // its subfolders still to walk are m_pending[pendingBase..]
        std::size_t kept;        // those below m_pending[kept] were handed over
    };

    // A subfolder seen but not walked yet. Names live in one arena used as a stack: a folder's
    // subfolder names sit above its own name, so leaving a folder frees them all at once.
    struct Pending {
        std::size_t nameStart;
        FileId id;
        bool handedOver = false;
    };

    // A folder's own name, for reopening it from its parent.
    struct OwnName {
        const SizeWalk* walk;
        const char* operator()(std::size_t i) const {
            return walk->m_names.data() + walk->m_stack[i].nameStart;
        }
    };

    void count(const struct statx& entry);
    void scan(int fd);
    void scanNames(int fd, std::string_view names);
    void visit(int fd, const char* name);
    bool lookAround();
    void afterFolder();
    bool handOverShallowest();
    ssize_t handOverRest(int fd, ssize_t offset, ssize_t length);
    bool onPath(const FileId& id) const;
    void leave();

    MountRule m_rule;
    std::int64_t m_total = 0;
    LinkedBlocks m_linked;
    std::uint64_t m_entries = 0;
    std::uint64_t m_checkpointAt = UINT64_MAX;
    std::function<std::uint64_t()> m_checkpoint;
    FolderQueue* m_queue = nullptr;
    unsigned m_sinceLook = 0;
    std::uint64_t m_handedOver = 0;
    std::uint64_t m_listsHandedOver = 0;
    std::vector<Frame> m_stack;
    std::vector<Pending> m_pending;
    std::string m_names;
    std::unique_ptr<char[]> m_buffer;
    HeldFolders<Frame, OwnName> m_folders;
};

} // namespace brisklet
