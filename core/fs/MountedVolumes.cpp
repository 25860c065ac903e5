#include "core/fs/MountedVolumes.h"

#include <array>
#include <fstream>
#include <iterator>
#include <set>

namespace brisklet {

namespace fs = std::filesystem;

namespace {

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

} // namespace

namespace MountedVolumes {

std::string unescapeOctal(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1]) &&
            isOctalDigit(field[i + 2]) && isOctalDigit(field[i + 3])) {
            const int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 0xFF) {
                out.push_back(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    // ID PARENT MAJOR:MINOR ROOT MOUNTPOINT OPTIONS [OPTIONAL...] - TYPE SOURCE SUPEROPTIONS
    std::vector<MountEntry> entries;
    while (!text.empty()) {
        const auto newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);

        const std::vector<std::string_view> fields = splitFields(line);
        if (fields.size() < 7) continue;
        std::size_t separator = 6;
        while (separator < fields.size() && fields[separator] != "-")
            ++separator;
        if (separator + 1 >= fields.size()) continue;
        const std::string mountPoint = unescapeOctal(fields[4]);
        if (mountPoint.empty() || mountPoint.front() != '/') continue;
        entries.push_back({fs::path(mountPoint), std::string(fields[separator + 1])});
    }
    return entries;
}

std::vector<MountEntry> read(const fs::path& mountInfo) {
    std::ifstream in(mountInfo, std::ios::binary);
    if (!in) return {};
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parseMountInfo(text);
}

bool isPseudoFileSystem(std::string_view type) {
    // The gvfs and portal bridges are FUSE views of other places (network shares, sandboxed
    // documents); looking into them can wake remote servers, and they never hold a Trash of their own.
    static constexpr std::array<std::string_view, 23> kPseudo = {
        "autofs",    "binfmt_misc", "bpf",      "cgroup",          "cgroup2",    "configfs",
        "debugfs",   "devpts",      "devtmpfs", "efivarfs",        "fusectl",    "hugetlbfs",
        "mqueue",    "nsfs",        "proc",     "pstore",          "rpc_pipefs", "securityfs",
        "selinuxfs", "sysfs",       "tracefs",  "fuse.gvfsd-fuse", "fuse.portal"};
    for (const std::string_view p : kPseudo)
        if (type == p) return true;
    return false;
}

std::vector<fs::path> trashCapableMountPoints(const fs::path& mountInfo) {
    std::vector<fs::path> points;
    std::set<fs::path> seen;
    for (const MountEntry& entry : read(mountInfo)) {
        if (isPseudoFileSystem(entry.fileSystem)) continue;
        if (seen.insert(entry.mountPoint).second) points.push_back(entry.mountPoint);
    }
    return points;
}

} // namespace MountedVolumes
} // namespace brisklet
