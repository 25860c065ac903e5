// The Xcode and developer-cache rules.
#include "core/fs/DirectoryListing.h"
#include "core/fs/Utf8.h"
#include "core/junk/JunkRules.h"

#include <QList>
#include <QString>

#include <sys/stat.h>
#include <unistd.h>

#include <array>

namespace brisklet::JunkRules {

namespace fs = std::filesystem;

namespace {

struct FixedRow {
    std::string_view path;
    std::string_view name;
    bool recommended;
    std::optional<std::string_view> note;
};

constexpr std::array<FixedRow, 4> kXcodeRows{{
    {"CoreSimulator/Caches", "Simulator caches", true, "Recreated by the Simulator"},
    {"Xcode/UserData/Previews", "SwiftUI preview data", true, "Recreated when you open a preview"},
    {"Xcode/DocumentationCache", "Documentation cache", true, std::nullopt},
    {"Xcode/Archives", "Xcode Archives", false, "Keep if you still need dSYMs for old App Store builds"},
}};

constexpr std::array<std::string_view, 5> kDevicePlatforms{"iOS", "watchOS", "tvOS", "visionOS", "macOS"};

// Relative to the home folder, except the pnpm store, whose place depends on the layout.
constexpr std::array<FixedRow, 6> kDeveloperRows{{
    {".npm/_cacache", "npm cache", true, std::nullopt},
    {".npm/_npx", "npx packages", true, std::nullopt},
    {".bun/install/cache", "Bun cache", true, std::nullopt},
    {".cargo/registry/cache", "Cargo downloads", true, std::nullopt},
    {".android/cache", "Android SDK cache", true, std::nullopt},
    {".gradle/caches", "Gradle caches", false, "Re-downloaded on your next Android build"},
}};
constexpr FixedRow kPnpmRow{"", "pnpm store", false,
                            "Shared with projects' node_modules · frees less than shown"};

constexpr std::array<std::string_view, 2> kMetroPrefixes{"metro-", "haste-map-"};

// Anything at all at the path, following links as a file manager's existence test does.
bool somethingAt(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

void addIfPresent(Candidates& out, const fs::path& url, const FixedRow& row) {
    if (!somethingAt(url)) return;
    out.push_back(JunkScanner::Candidate{url, std::string(row.name), row.recommended,
                                         row.note ? std::optional<std::string>(*row.note) : std::nullopt,
                                         std::nullopt});
}

} // namespace

std::string derivedDataName(std::string_view folderName) {
    const auto dash = folderName.rfind('-');
    if (dash == std::string_view::npos) return validUtf8(folderName);
    const std::string suffix = validUtf8(folderName.substr(dash + 1));
    const QList<uint> characters =
        QString::fromUtf8(suffix.data(), static_cast<qsizetype>(suffix.size())).toUcs4();
    if (characters.size() < 20) return validUtf8(folderName);
    for (const uint c : characters)
        if (!QChar::isLetter(static_cast<char32_t>(c))) return validUtf8(folderName);
    return validUtf8(folderName.substr(0, dash));
}

Candidates xcode(const Locations& locations) {
    const fs::path developer = locations.home / "Library" / "Developer";
    Candidates out;

    const fs::path derived = developer / "Xcode" / "DerivedData";
    for (const std::string& entry : listDirectory(derived, HiddenEntries::skip).names)
        out.push_back(
            {derived / entry, derivedDataName(entry), true, "Build data · Xcode rebuilds it", std::nullopt});

    for (const FixedRow& row : kXcodeRows)
        addIfPresent(out, developer / row.path, row);

    for (const std::string_view platform : kDevicePlatforms) {
        const fs::path folder = developer / "Xcode" / (std::string(platform) + " DeviceSupport");
        const std::string note =
            std::string(platform) + " device symbols · downloaded again when you plug that device in";
        for (const std::string& entry : listDirectory(folder, HiddenEntries::skip).names)
            out.push_back({folder / entry, validUtf8(entry), false, note, std::nullopt});
    }
    return out;
}

Candidates devCaches(const Locations& locations) {
    Candidates out;
    for (const FixedRow& row : kDeveloperRows)
        addIfPresent(out, locations.home / row.path, row);
    const fs::path pnpmStore = locations.layout == JunkLayout::macOS
                                   ? locations.home / "Library" / "pnpm" / "store"
                                   : locations.dataHome / "pnpm" / "store";
    addIfPresent(out, pnpmStore, kPnpmRow);

    // The temporary folder is shared on Linux: another user's bundler leftovers are not ours.
    const bool mineOnly = locations.layout == JunkLayout::freedesktop;
    for (const std::string& entry : listDirectory(locations.tempDir, HiddenEntries::skip).names) {
        const bool metro = std::any_of(kMetroPrefixes.begin(), kMetroPrefixes.end(),
                                       [&](std::string_view prefix) { return entry.starts_with(prefix); });
        if (!metro) continue;
        const fs::path url = locations.tempDir / entry;
        if (mineOnly) {
            struct stat st {};
            if (::lstat(url.c_str(), &st) != 0 || st.st_uid != ::getuid()) continue;
        }
        out.push_back({url, "Metro bundler cache", true, validUtf8(entry), std::nullopt});
    }
    return out;
}

} // namespace brisklet::JunkRules
