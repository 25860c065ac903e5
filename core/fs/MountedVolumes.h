#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace brisklet {

// One line of /proc/self/mountinfo, reduced to what the Trash needs.
struct MountEntry {
    std::filesystem::path mountPoint;
    std::string fileSystem;

    bool operator==(const MountEntry&) const = default;
};

namespace MountedVolumes {

// The mount table in the kernel's order. Lines that do not have the documented shape are skipped;
// an unreadable table gives an empty list.
std::vector<MountEntry> parseMountInfo(std::string_view text);
std::vector<MountEntry> read(const std::filesystem::path& mountInfo = "/proc/self/mountinfo");

// The kernel writes space, tab, newline and backslash in mount points as octal escapes ("\040").
std::string unescapeOctal(std::string_view field);

// Kernel and virtual file systems that can never hold a user's Trash. tmpfs is not one of them:
// a RAM disk can carry a .Trash-UID like any other volume.
bool isPseudoFileSystem(std::string_view type);

// The mount points that may hold a user's Trash, each once, in table order.
std::vector<std::filesystem::path>
trashCapableMountPoints(const std::filesystem::path& mountInfo = "/proc/self/mountinfo");

} // namespace MountedVolumes
} // namespace brisklet
