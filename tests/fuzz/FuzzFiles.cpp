// Paths as the system writes them down, and the deletion guard's judgement of any path.

#include "core/fs/MountedVolumes.h"
#include "core/fs/Utf8.h"
#include "core/junk/TrashInfo.h"
#include "core/removal/SafetyGuard.h"
#include "support/GuardOracle.h"

#include "FuzzCheck.h"

#include <cstdio>

namespace {

// What the kernel writes for a path: space, tab, newline and backslash as three octal digits.
std::string kernelEscaped(std::string_view path) {
    std::string out;
    for (const char c : path) {
        char octal[5];
        std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned char>(c));
        out += std::string_view(" \t\n\\").find(c) == std::string_view::npos ? std::string(1, c) : octal;
    }
    return out;
}

// The shared guard home, built once; the guard only ever looks at it.
const brisklet::test::GuardOracle& oracle() {
    static const brisklet::test::GuardHome home;
    static const brisklet::test::GuardOracle o(home);
    return o;
}

} // namespace

// /proc/self/mountinfo, whose mount points may hold any byte a user gave a folder's name.
FUZZ_FORMAT(MountInfo, text) {
    const auto entries = MountedVolumes::parseMountInfo(text);
    for (const MountEntry& entry : entries) {
        FUZZ_CHECK(entry.mountPoint.native().starts_with('/'));
        FUZZ_CHECK(!entry.fileSystem.empty() && entry.fileSystem.find_first_of(" \n") == std::string::npos);
        MountedVolumes::isPseudoFileSystem(entry.fileSystem);
    }

    // Any mount point, escaped as the kernel does, reads back exactly, in a line of the documented
    // shape with optional fields.
    const std::string escaped = kernelEscaped(text);
    FUZZ_CHECK(MountedVolumes::unescapeOctal(escaped) == text);
    const std::string line = "36 35 98:0 /mnt1 " + escaped + " rw,noatime master:1 - ext3 /dev/root rw\n";
    const auto one = MountedVolumes::parseMountInfo(line);
    FUZZ_CHECK(text.starts_with('/')
                   ? one.size() == 1 && one[0].mountPoint.native() == text && one[0].fileSystem == "ext3"
                   : one.empty());
}

// A .trashinfo file: whoever moved something to the Trash wrote it, so it may hold anything.
FUZZ_FORMAT(TrashInfo, text) {
    if (const auto name = TrashInfo::originalNameFromContents(text)) {
        // A name of one component, shown as it is.
        FUZZ_CHECK(!name->empty() && name->find('/') == std::string::npos && validUtf8(*name) == *name);
    }

    // Any path, every byte percent-encoded (in both cases of hex digits), decodes back exactly, and
    // the recorded name is its last component.
    std::string encoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, i % 2 == 0 ? "%%%02X" : "%%%02x", static_cast<unsigned char>(text[i]));
        encoded += hex;
    }
    FUZZ_CHECK(TrashInfo::percentDecode(encoded) == text);
    const std::string_view last = text.substr(text.rfind('/') + 1);
    const auto expected = last.empty() ? std::nullopt : std::optional(validUtf8(last));
    FUZZ_CHECK(TrashInfo::originalNameFromContents("[Trash Info]\nPath=" + encoded +
                                                   "\nDeletionDate=2026-01-01T10:00:00\n") == expected);
}

// The deletion guard's judgement of a path given as text. Crashes matter less here than wrong answers:
FUZZ_FORMAT(SafetyGuard, input) {
    const auto& o = oracle();
    // A relative path is never admitted. An absolute one is taken inside the fixture, so that the
    // fuzzer explores the links there rather than the real file system (which ".." and the links to
    // "/" still reach, for looking only).
    const std::string text = o.root + (input.starts_with('/') ? "" : "/") + std::string(input);
    for (int layout = 0; layout < 2; ++layout) {
        FUZZ_CHECK(o.rootsAgree(layout));
        if (!input.starts_with('/')) FUZZ_CHECK(!SafetyGuard::admitText(input, o.guardRoots[layout]));
        const std::string problem = o.problem(text, layout);
        if (!problem.empty()) std::fprintf(stderr, "%s: %s\n", problem.c_str(), text.c_str());
        FUZZ_CHECK(problem.empty());
    }
}
