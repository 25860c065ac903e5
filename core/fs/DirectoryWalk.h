#pragma once

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

class QThreadPool;

namespace brisklet {

// Tells a package (a folder the system shows as one file) from a plain folder. Linux has none, so
// an empty test means "never" and costs nothing per folder; tests pass their own to reach the rule.
using PackageTest = std::function<bool(const std::filesystem::path&)>;

// One entry met by walkDirectory; valid only while the visitor runs.
class WalkEntry {
public:
    std::string_view name() const { return m_name; }
    // DT_DIR, DT_REG, DT_LNK, …: from the listing, or from the entry's status when the file system
    // left it untyped, so it is never DT_UNKNOWN.
    unsigned char type() const { return m_type; }
    // The entry's own status (a link is not followed), read at most once; false when it is gone.
    bool status(struct stat& out) const;
    // The open folder that holds the entry, for *at() calls relative to it.
    int folderFd() const { return m_folderFd; }
    // The holding folder's path as walked (the root as given, then names), without a trailing
    // separator; empty for the root "/".
    const std::string& folderPath() const { return *m_folderPath; }
    std::filesystem::path path() const;

private:
    friend class DirectoryWalker;
    int m_folderFd = -1;
    std::string_view m_name;
    unsigned char m_type = 0;
    const std::string* m_folderPath = nullptr;
    mutable bool m_statusRead = false;
    mutable bool m_statusOk = false;
    mutable struct stat m_status {};
};

enum class WalkStep { pass, descend };

// One particular folder known by what it is (device and inode) rather than by how a path spells it,
// so that a walk that meets it under another spelling (a root given through a link, "/./") still
// knows it. Unknown, and so never met, when the folder cannot be reached.
class FolderIdentity {
public:
    explicit FolderIdentity(const std::filesystem::path& folder);
    // True when the entry is that folder itself, not a link to it.
    bool is(const WalkEntry& entry) const;

private:
    bool m_known = false;
    dev_t m_dev = 0;
    ino_t m_ino = 0;
};

// Walks the tree below `root` depth first, in preorder: the entries of a folder in the order the
// file system lists them, and the contents of a folder the visitor descends into right after that
// folder, before its next sibling. That order is the "order found" callers keep ties in, so it is
// the same on every run over an unchanged tree.
//
// The root is opened through a symbolic link (the user named it); nothing below it ever is. A
// folder that is one of its own ancestors (a bind mount) is not entered again, nor is a mounted
// kernel file system (proc, sysfs, …); other mounted file systems are walked like any folder.
// Unreadable and vanished folders are passed over. Returns false when the root cannot be opened
// as a folder. Never throws; a visitor that throws ends the walk.
using WalkVisitor = std::function<WalkStep(const WalkEntry&)>;
bool walkDirectory(const std::filesystem::path& root, const WalkVisitor& visit);

// The same walk, over the same entries with the same decisions, spread over `pool`: `visitRoot`
// sees the root's own entries on the calling thread; each subfolder it descends into is walked by
// one task of the pool with its own visitor, `visitorBelow(i)` for the i-th of those subfolders in
// listing order (asked for on the calling thread before any task starts). A caller that keeps what
// each visitor found apart, and joins it in that order after the root's entries met before that
// subfolder, gets exactly the order of walkDirectory. Blocks until all is walked; `pool` must not
// be the pool the caller runs on.
bool walkDirectoryInParallel(const std::filesystem::path& root, const WalkVisitor& visitRoot,
                             const std::function<WalkVisitor(std::size_t)>& visitorBelow, QThreadPool& pool);

// The content-modification date in a status record.
std::chrono::system_clock::time_point modifiedAt(const struct stat& status);

} // namespace brisklet
