#include "core/fs/SizeWalk.h"

#include "core/fs/FolderQueue.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brisklet {

namespace {

// Callers measure many items at once on a pool of threads, and a measurement may be split over
// several threads, so one walk keeps only a small share of the process's descriptor limit: folders
// deeper than this are walked with the descriptors of their shallower ancestors closed, and those
// are reopened on the way back up.
constexpr std::size_t kHeldDirectories = 24;

// Large enough that a folder of a few thousand entries costs one or two getdents64 calls.
constexpr std::size_t kDirentBufferSize = 64 * 1024;

// How many entries of one folder a shared walk stats between looks for a waiting thread: about a
// tenth of a millisecond.
constexpr unsigned kLookEvery = 128;

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

MountRule MountRule::of(const struct statx& root) {
    MountRule rule;
    rule.byMountId = (root.stx_mask & STATX_MNT_ID) != 0;
    rule.mountId = root.stx_mnt_id;
    rule.device = makedev(root.stx_dev_major, root.stx_dev_minor);
    return rule;
}

bool MountRule::admits(const struct statx& entry) const {
    if (!byMountId) return makedev(entry.stx_dev_major, entry.stx_dev_minor) == device;
    // A mount root below the measured folder always has a mount id of its own; the attribute is
    // asked as well so that nothing depends on that alone.
    return (entry.stx_mask & STATX_MNT_ID) != 0 && entry.stx_mnt_id == mountId &&
           (entry.stx_attributes & STATX_ATTR_MOUNT_ROOT) == 0;
}

SizeWalk::SizeWalk(const MountRule& rule)
    : m_rule(rule), m_folders(m_stack, kHeldDirectories, kOpenSizeWalkFolder, OwnName{this}) {}

SizeWalk::~SizeWalk() {
    while (!m_stack.empty())
        leave();
}

void SizeWalk::onCheckpoint(std::uint64_t entries, std::function<std::uint64_t()> checkpoint) {
    m_checkpoint = std::move(checkpoint);
    m_checkpointAt = m_checkpoint ? m_entries + entries : UINT64_MAX;
}

void SizeWalk::count(const struct statx& entry) {
    const std::int64_t bytes =
        (entry.stx_mask & STATX_BLOCKS) != 0 ? static_cast<std::int64_t>(entry.stx_blocks) * 512 : 0;
    // Only an entry with more than one link can be met twice; the map stays small.
    if (entry.stx_nlink >= 2 && !m_linked.emplace(idOf(entry), bytes).second) return;
    m_total += bytes;
}

void SizeWalk::walk(int fd, const FileId& id, std::string_view names) {
    // Left over only when an earlier walk was cut short by a failed allocation.
    while (!m_stack.empty())
        leave();
    m_pending.clear();
    m_names.clear();
    try {
        m_stack.push_back(Frame{fd, id, 0, 0, 0});
    } catch (...) {
        ::close(fd);
        throw;
    }
    m_folders.pushed();
    if (!m_buffer) m_buffer = std::make_unique<char[]>(kDirentBufferSize);
    if (names.empty())
        scan(fd);
    else
        scanNames(fd, names);
    afterFolder();

    while (!m_stack.empty()) {
        const std::size_t top = m_stack.size() - 1;
        if (m_pending.size() == m_stack[top].pendingBase) {
            leave();
            continue;
        }
        if (m_pending.back().handedOver) {
            m_names.resize(m_pending.back().nameStart);
            m_pending.pop_back();
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
        m_stack.push_back(Frame{child, next.id, next.nameStart, m_pending.size(), m_pending.size()});
        m_folders.pushed();
        scan(child);
        afterFolder();
    }
}

void SizeWalk::scan(int fd) {
    for (;;) {
        const ssize_t length = ::getdents64(fd, m_buffer.get(), kDirentBufferSize);
        if (length <= 0) return;
        for (ssize_t offset = 0; offset < length;) {
            // A large flat folder takes tens of milliseconds: a thread that waits for work should
            // not wait for the end of it, and a walk should not wait that long to prove large.
            if (++m_sinceLook == kLookEvery) {
                m_sinceLook = 0;
                if (lookAround() && !handOverShallowest()) offset = handOverRest(fd, offset, length);
                if (offset == length) break;
            }
            const auto* entry = reinterpret_cast<const struct dirent64*>(m_buffer.get() + offset);
            offset += entry->d_reclen;
            visit(fd, entry->d_name);
        }
    }
}

void SizeWalk::scanNames(int fd, std::string_view names) {
    for (std::size_t at = 0; at < names.size();) {
        const char* name = names.data() + at;
        at += std::strlen(name) + 1;
        visit(fd, name);
    }
}

void SizeWalk::visit(int fd, const char* name) {
    if (isDotOrDotDot(name)) return;
    // Every entry needs its status either way: its blocks when it counts, its mount and identity
    // when it is a folder. So d_type saves nothing here and is not trusted.
    struct statx sx {};
    if (::statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kSizeWalkStatx, &sx) != 0) return;
    ++m_entries;
    if (!m_rule.admits(sx)) return;
    if (!S_ISDIR(sx.stx_mode)) {
        count(sx);
        return;
    }
    const FileId id = idOf(sx);
    if (onPath(id)) return;
    m_pending.push_back(Pending{m_names.size(), id});
    m_names.append(name, std::strlen(name) + 1);
}

// Lets the caller look at the walk's progress when it is due; true when another thread waits.
bool SizeWalk::lookAround() {
    if (m_entries >= m_checkpointAt) {
        const std::uint64_t more = m_checkpoint();
        m_checkpointAt = more == 0 ? UINT64_MAX : m_entries + more;
    }
    return m_queue != nullptr && m_queue->wanted();
}

// Between folders, the moment to let the caller look at the walk's progress, and to give work to
// threads that wait for some.
void SizeWalk::afterFolder() {
    if (lookAround()) handOverShallowest();
}

// A flat folder has no subfolders to hand over, so its listing is shared instead: the entries of
// the batch just read that are not stat'ed yet go to the waiting thread, with a descriptor of the
// folder of their own, while this walk reads on. Returns where this walk's part of the batch ends.
ssize_t SizeWalk::handOverRest(int fd, ssize_t offset, ssize_t length) {
    std::string names;
    for (ssize_t at = offset; at < length;) {
        const auto* entry = reinterpret_cast<const struct dirent64*>(m_buffer.get() + at);
        at += entry->d_reclen;
        names.append(entry->d_name, std::strlen(entry->d_name) + 1);
    }
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return offset;
    if (!m_queue->handOver(copy, m_stack.back().id, std::move(names))) {
        ::close(copy);
        return offset;
    }
    ++m_listsHandedOver;
    return length;
}

// The shallowest subfolder not yet walked is likely the largest piece of work this walk holds, so
// handing it over keeps hand-overs (and the lock they take) few.
bool SizeWalk::handOverShallowest() {
    for (std::size_t level = 0; level < m_stack.size(); ++level) {
        Frame& frame = m_stack[level];
        const std::size_t end =
            level + 1 < m_stack.size() ? m_stack[level + 1].pendingBase : m_pending.size();
        // A folder whose descriptor was given up to stay within the budget is passed over: reopening
        // it just to hand a subfolder over would cost more than it saves.
        if (frame.fd < 0) continue;
        while (frame.kept < end) {
            Pending& pending = m_pending[frame.kept];
            const int fd = ::openat(frame.fd, m_names.data() + pending.nameStart, kOpenSizeWalkFolder);
            if (fd < 0 && (errno == EMFILE || errno == ENFILE)) return false; // kept, to be walked here
            if (fd >= 0 && !m_queue->handOver(fd, pending.id)) {
                ::close(fd);
                return false;
            }
            // Handed over, or gone since it was listed: either way not walked here.
            ++frame.kept;
            pending.handedOver = true;
            if (fd >= 0) {
                ++m_handedOver;
                return true;
            }
        }
    }
    return false;
}

// On kernels that report no mount ids a bind mount of an ancestor looks like a plain folder, and
// walking it would never end: a folder that is one of its own ancestors is left out there. Such a
// walk is never split, so its own stack holds every ancestor.
bool SizeWalk::onPath(const FileId& id) const {
    if (m_rule.byMountId) return false;
    for (const Frame& frame : m_stack) {
        if (frame.id == id) return true;
    }
    return false;
}

void SizeWalk::leave() {
    Frame& frame = m_stack.back();
    m_folders.leaving(frame);
    m_names.resize(frame.nameStart);
    m_stack.pop_back();
}

} // namespace brisklet
