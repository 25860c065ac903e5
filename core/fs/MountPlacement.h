#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

struct statx;

// Where an entry sits among the mounted file systems. Removal and the junk rules use it so that
// nothing on another mount is ever offered or touched: a file system mounted inside a cache folder,
// or a folder of the user's documents bind-mounted there, is not junk, whatever its path says.
namespace brisklet {

struct MountPlacement {
    std::uint32_t devMajor = 0;
    std::uint32_t devMinor = 0;
    std::uint64_t mountId = 0;
    // Kernels before 5.8 give neither the mount id nor the mount-root flag; then only the device
    // tells mounts apart, and a bind mount from the same file system cannot be seen.
    bool mountIdKnown = false;
    bool isMountRoot = false;

    bool operator==(const MountPlacement&) const = default;
};

// The placement a statx() result with STATX_MNT_ID asked for describes.
MountPlacement placementFrom(const struct statx& stx);

// The placement of the entry `name` in the folder `dirFd`, never of what a link points to. An
// empty name with `dirFd` gives the placement of that open folder itself. errno tells why on failure.
std::optional<MountPlacement> placementAt(int dirFd, const char* name);
// The same for an absolute path; `followLast` follows a link in the last component.
std::optional<MountPlacement> placementOf(const std::filesystem::path& path, bool followLast = false);

// Whether an entry of `folder` lies on the same mount as the folder and is not itself the root of
// a mount (a mount point seen from the folder, or a bind mount of something else).
bool staysOnMountOf(const MountPlacement& entry, const MountPlacement& folder);

// Whether `path` lies on the same mount as the folder that holds it and is not the root of a mount.
// False when either cannot be looked at.
bool staysOnParentMount(const std::filesystem::path& path);

} // namespace brisklet
