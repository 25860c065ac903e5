// /proc/self/mountinfo, whose mount points may hold any byte a user gave a folder's name.

#include "core/fs/MountedVolumes.h"

#include "FuzzCheck.h"

#include <cstdio>

namespace {

// What the kernel writes for a path: space, tab, newline and backslash as three octal digits.
std::string kernelEscaped(std::string_view path) {
    std::string out;
    for (const char c : path) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
            char octal[5];
            std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned char>(c));
            out += octal;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

FUZZ_TEXT_HARNESS(text) {
    const auto entries = MountedVolumes::parseMountInfo(text);
    FUZZ_CHECK(entries.size() <= static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    for (const MountEntry& entry : entries) {
        FUZZ_CHECK(entry.mountPoint.native().starts_with('/'));
        FUZZ_CHECK(!entry.fileSystem.empty() && entry.fileSystem.find_first_of(" \n") == std::string::npos);
        MountedVolumes::isPseudoFileSystem(entry.fileSystem);
    }
    FUZZ_CHECK(MountedVolumes::unescapeOctal(text).size() <= text.size());

    // Any mount point, escaped as the kernel does, reads back exactly, in a line of the documented
    // shape with optional fields.
    const std::string escaped = kernelEscaped(text);
    FUZZ_CHECK(MountedVolumes::unescapeOctal(escaped) == text);
    const std::string line = "36 35 98:0 /mnt1 " + escaped + " rw,noatime master:1 - ext3 /dev/root rw\n";
    const auto one = MountedVolumes::parseMountInfo(line);
    if (text.starts_with('/')) {
        FUZZ_CHECK(one.size() == 1 && one[0].mountPoint.native() == text && one[0].fileSystem == "ext3");
    } else {
        FUZZ_CHECK(one.empty());
    }
}
