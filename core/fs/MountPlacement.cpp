#include "core/fs/MountPlacement.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace brisklet {

namespace {

std::optional<MountPlacement> placement(int dirFd, const char* name, int flags) {
    struct statx stx {};
    if (::statx(dirFd, name, flags | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_INO | STATX_MNT_ID, &stx) != 0)
        return std::nullopt;
    return placementFrom(stx);
}

} // namespace

MountPlacement placementFrom(const struct statx& stx) {
    MountPlacement where;
    where.devMajor = stx.stx_dev_major;
    where.devMinor = stx.stx_dev_minor;
    where.mountIdKnown = (stx.stx_mask & STATX_MNT_ID) != 0;
    where.mountId = where.mountIdKnown ? stx.stx_mnt_id : 0;
    where.isMountRoot = (stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                        (stx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    return where;
}

std::optional<MountPlacement> placementAt(int dirFd, const char* name) {
    const int flags = name[0] == '\0' ? AT_EMPTY_PATH : AT_SYMLINK_NOFOLLOW;
    return placement(dirFd, name, flags);
}

std::optional<MountPlacement> placementOf(const std::filesystem::path& path, bool followLast) {
    return placement(AT_FDCWD, path.c_str(), followLast ? 0 : AT_SYMLINK_NOFOLLOW);
}

bool staysOnMountOf(const MountPlacement& entry, const MountPlacement& folder) {
    if (entry.isMountRoot) return false;
    if (entry.devMajor != folder.devMajor || entry.devMinor != folder.devMinor) return false;
    return !(entry.mountIdKnown && folder.mountIdKnown && entry.mountId != folder.mountId);
}

bool staysOnParentMount(const std::filesystem::path& path) {
    if (!path.has_relative_path()) return false; // "/" has no parent to stay on
    const auto entry = placementOf(path);
    // The folder is the one the rule listed, reached however its path leads (a cache folder may be a link).
    const auto folder = entry ? placementOf(path.parent_path(), true) : std::nullopt;
    return folder && staysOnMountOf(*entry, *folder);
}

} // namespace brisklet
